// The desktop's media controls: how the player's state becomes MPRIS values
// and method names become player controls, and the service itself on a
// private session bus, read and driven from a second connection as a
// desktop would.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>
#include <QRegularExpression>
#include <QTimer>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>

#include "player/desktop/mpris_service.h"
#include "player/desktop/mpris_state.h"
#include "player_fixture.h"
#include "tests/temp_folder.h"

extern char** environ;

namespace lumo::player::testing {

// Receives PropertiesChanged on the desktop's side of the bus.
class PropertiesWatch : public QObject {
    Q_OBJECT
public:
    std::vector<QVariantMap> changes;  // of the Player interface, in arrival order
    std::vector<qlonglong> seeked;     // the positions Seeked gave

public Q_SLOTS:
    void changed(const QString& interface, const QVariantMap& properties, const QStringList& invalidated) {
        (void)invalidated;
        if (interface == QLatin1String(desktop::kPlayerInterface)) changes.push_back(properties);
    }
    void seekedTo(qlonglong position) { seeked.push_back(position); }
};

namespace {

using desktop::Action;
using desktop::MprisState;
using desktop::PlayerSnapshot;
using desktop::SeekRequest;
using Seek = SeekRequest::Kind;
using platform::PlayState;
using platform::simulated::ItemScript;
using platform::simulated::PlaylistScript;

// An a{sv} as QtDBus hands it over: already a map, or still marshalled.
QVariantMap asMap(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

QVariant unwrap(const QVariant& value) {
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

bool isObjectPath(const QString& path) {
    static const QRegularExpression valid(QStringLiteral("^(/[A-Za-z0-9_]+)+$"));
    return valid.match(path).hasMatch();
}

PlaylistScript evening() {
    return {"Evening",
            false,
            {ItemScript{"Morning Song", "file:///music/morning.flac", "audio", "183.4"},
             ItemScript{"Noon", "file:///music/noon.ogg", "audio", ""},
             ItemScript{"Night", "cdda:///dev/sr0#3", "audio", "61"}}};
}

PlayerSnapshot playing(const std::string& title, std::optional<double> duration = 100) {
    PlayerSnapshot snapshot;
    snapshot.state = PlayState::Playing;
    snapshot.hasMedia = true;
    snapshot.title = title;
    snapshot.url = "file:///music/" + title + ".flac";
    snapshot.duration = duration;
    snapshot.volume = 50;
    return snapshot;
}

// ---------------------------------------------------------------------------
// The mapping, without a bus.

TEST(MprisMapping, PlaybackStatusFollowsThePlayStateAndPassingStatesKeepThePreviousOne) {
    const struct {
        PlayState state;
        const char* afterPlaying;  // with "Playing" before
        const char* afterPaused;   // with "Paused" before
    } cases[] = {
        {PlayState::Playing, "Playing", "Playing"},       {PlayState::Paused, "Paused", "Paused"},
        {PlayState::Stopped, "Stopped", "Stopped"},       {PlayState::Ready, "Stopped", "Stopped"},
        {PlayState::MediaEnded, "Stopped", "Stopped"},    {PlayState::Undefined, "Stopped", "Stopped"},
        {PlayState::Transitioning, "Playing", "Paused"},  {PlayState::Buffering, "Playing", "Paused"},
        {PlayState::Waiting, "Playing", "Paused"},
    };
    for (const auto& c : cases) {
        const int code = static_cast<int>(c.state);
        EXPECT_EQ(desktop::playbackStatusOf(c.state, QStringLiteral("Playing")), QLatin1String(c.afterPlaying)) << code;
        EXPECT_EQ(desktop::playbackStatusOf(c.state, QStringLiteral("Paused")), QLatin1String(c.afterPaused)) << code;
    }
    EXPECT_EQ(desktop::playbackStatusOf(PlayState::Transitioning, QString()), QLatin1String("Stopped"));
}

TEST(MprisMapping, MetadataNamesTheItemAndGivesItsLengthOnlyWhenKnown) {
    PlayerSnapshot snapshot = playing("Morning Song", 183.4);
    snapshot.url = "file:///music/Morning%20Song.flac";
    snapshot.artist = "The Larks";
    snapshot.album = "Dawn Chorus";
    snapshot.genre = "Folk";
    snapshot.trackNumber = "7";
    const QVariantMap full = desktop::metadataOf(snapshot);
    EXPECT_EQ(full.value("xesam:title").toString(), QStringLiteral("Morning Song"));
    EXPECT_EQ(full.value("xesam:url").toString(), QStringLiteral("file:///music/Morning%20Song.flac"));
    EXPECT_EQ(full.value("xesam:album").toString(), QStringLiteral("Dawn Chorus"));
    EXPECT_EQ(full.value("xesam:genre").toStringList(), QStringList{QStringLiteral("Folk")});
    EXPECT_EQ(full.value("xesam:trackNumber"), QVariant(7));
    EXPECT_EQ(full.value("xesam:artist").toStringList(), QStringList{QStringLiteral("The Larks")});
    EXPECT_EQ(full.value("mpris:length").metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(full.value("mpris:length").toLongLong(), 183'400'000);
    ASSERT_TRUE(full.value("mpris:trackid").canConvert<QDBusObjectPath>());
    const QString id = full.value("mpris:trackid").value<QDBusObjectPath>().path();
    EXPECT_TRUE(isObjectPath(id)) << id.toStdString();
    EXPECT_FALSE(id.startsWith(QLatin1String("/org/mpris"))) << "that namespace is the protocol's own";

    // The id is the item's: the same URL and name give the same one, a
    // different URL or name another.
    EXPECT_EQ(desktop::trackIdOf(snapshot.url, snapshot.title).path(), id);
    EXPECT_NE(desktop::trackIdOf(snapshot.url, "Morning Song (live)").path(), id);
    EXPECT_NE(desktop::trackIdOf("file:///music/other.flac", snapshot.title).path(), id);
    EXPECT_NE(desktop::trackIdOf("ab", "c").path(), desktop::trackIdOf("a", "bc").path());
    for (const char* url : {"", "cdda:///dev/sr0#3", "file:///ü/ñ.ogg"}) {
        const QString other = desktop::trackIdOf(url, "").path();
        EXPECT_TRUE(isObjectPath(other)) << other.toStdString();
    }

    // Lengths the player does not know, or that are no length.
    const double infinity = std::numeric_limits<double>::infinity();
    for (const std::optional<double> unknown : {std::optional<double>(), {0.0}, {-3.0}, {infinity}, {std::nan("")}, {4e7}}) {
        snapshot.duration = unknown;
        const QVariantMap metadata = desktop::metadataOf(snapshot);
        EXPECT_FALSE(metadata.contains("mpris:length")) << unknown.value_or(-1);
        EXPECT_EQ(metadata.size(), full.size() - 1) << unknown.value_or(-1);
    }
    EXPECT_EQ(desktop::durationMicroseconds(0.0000005), 1);

    snapshot.artist.clear();
    EXPECT_FALSE(desktop::metadataOf(snapshot).contains("xesam:artist"));
    snapshot.hasMedia = false;
    EXPECT_TRUE(desktop::metadataOf(snapshot).isEmpty()) << "no item, no metadata";
}

TEST(MprisMapping, VolumeScalesBothWaysAndBadWritesAreClampedOrIgnored) {
    for (int32_t volume = 0; volume <= 100; ++volume) {
        EXPECT_DOUBLE_EQ(desktop::volumeFractionOf(volume) * 100.0, volume);
        EXPECT_EQ(desktop::playerVolumeOf(desktop::volumeFractionOf(volume)), volume);
    }
    EXPECT_EQ(desktop::volumeFractionOf(-5), 0.0);
    EXPECT_EQ(desktop::volumeFractionOf(130), 1.0);

    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        double fraction;
        int32_t volume;
    } writes[] = {{0.254, 25}, {0.256, 26}, {-0.5, 0}, {7.0, 100}, {infinity, 100}, {-infinity, 0}, {1e-9, 0}};
    for (const auto& w : writes) EXPECT_EQ(desktop::playerVolumeOf(w.fraction), w.volume) << w.fraction;
    EXPECT_EQ(desktop::playerVolumeOf(std::nan("")), std::nullopt);
}

TEST(MprisMapping, LoopStatusAndTheMediaKeysSettingReadBothWays) {
    for (const bool loop : {false, true}) EXPECT_EQ(desktop::loopModeOf(desktop::loopStatusOf(loop)), loop);
    EXPECT_EQ(desktop::loopStatusOf(false), QLatin1String("None"));
    EXPECT_EQ(desktop::loopStatusOf(true), QLatin1String("Playlist"));
    EXPECT_EQ(desktop::loopModeOf(QStringLiteral("Track")), true) << "the nearest the player has";
    for (const char* bad : {"", "none", "playlist", "Always"})
        EXPECT_EQ(desktop::loopModeOf(QString::fromLatin1(bad)), std::nullopt) << bad;

    EXPECT_TRUE(desktop::mediaKeysEnabled(std::nullopt));
    for (const char* on : {"", "1", "True", "On", "yes", "2"}) EXPECT_TRUE(desktop::mediaKeysEnabled(on)) << on;
    for (const char* off : {"0", "False", "false", "Off", " OFF ", "No"})
        EXPECT_FALSE(desktop::mediaKeysEnabled(off)) << off;

    EXPECT_EQ(desktop::instanceServiceName(4321), QStringLiteral("org.mpris.MediaPlayer2.lumo.instance4321"));
}

TEST(MprisMapping, SeekAndSetPositionAskWhatTheSpecificationSaysOfTheSeekableCurrentItem) {
    MprisState state;
    PlayerSnapshot snapshot = playing("one", 100);
    snapshot.position = 40;
    snapshot.canSeek = true;
    EXPECT_EQ(state.update(snapshot).value("CanSeek"), QVariant(true));
    const QDBusObjectPath track = desktop::trackIdOf(snapshot.url, snapshot.title);
    constexpr qint64 most = std::numeric_limits<qint64>::max(), least = std::numeric_limits<qint64>::min();
    const struct {
        qint64 offset;
        SeekRequest request;
    } seeks[] = {{5'000'000, {Seek::MoveTo, 45'000'000}}, {-41'000'000, {Seek::MoveTo, 0}}, {least, {Seek::MoveTo, 0}},
                 {60'000'000, {Seek::MoveTo, 100'000'000}}, {60'000'001, {Seek::Next, 0}}, {most, {Seek::Next, 0}}};
    for (const auto& s : seeks) EXPECT_TRUE(state.seekBy(s.offset) == s.request) << s.offset;
    const struct {
        QDBusObjectPath track;
        qint64 position;
        SeekRequest request;
    } moves[] = {{track, 0, {Seek::MoveTo, 0}}, {track, 100'000'000, {Seek::MoveTo, 100'000'000}},
                 {track, 100'000'001, {}}, {track, -1, {}}, {desktop::trackIdOf(snapshot.url, "two"), 5, {}},
                 {QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")), 5, {}}};
    for (const auto& m : moves) EXPECT_TRUE(state.seekTo(m.track, m.position) == m.request) << m.position;

    snapshot.duration.reset();  // no length: no bound above
    state.update(snapshot);
    EXPECT_TRUE(state.seekBy(most) == (SeekRequest{Seek::MoveTo, most}));
    EXPECT_TRUE(state.seekTo(track, most) == (SeekRequest{Seek::MoveTo, most}));
    snapshot.duration = 100;  // the player's position, within 0..length
    for (const auto& [seconds, microseconds] : {std::pair{250.0, 100'000'000}, {-3.0, 0}, {std::nan(""), 0}}) {
        snapshot.position = seconds;
        state.update(snapshot);
        EXPECT_EQ(state.position(), microseconds) << seconds;
    }

    snapshot.canSeek = false;
    EXPECT_EQ(state.update(snapshot), (QVariantMap{{"CanSeek", false}}));
    EXPECT_TRUE(state.seekBy(1) == SeekRequest{});
    EXPECT_TRUE(state.seekTo(track, 1) == SeekRequest{});
}

class MprisPlayerTest : public failsafe::testing::FrameworkTest {
protected:
    platform::simulated::SimulatedPlayer player{platform::simulated::Scenario{{evening()}, {}}};

    void SetUp() override {
        FrameworkTest::SetUp();
        player.settings().setAutoStart(false);
        player.setCurrentPlaylist(player.playlistCollection().getByName("Evening")->item(0));
    }
    std::vector<std::string> callsSince(size_t mark) const {
        return {player.calls().begin() + static_cast<std::ptrdiff_t>(mark), player.calls().end()};
    }
};

TEST_F(MprisPlayerTest, MethodNamesActOnThePlayersControls) {
    const struct {
        const char* method;
        Action action;
    } names[] = {{"Play", Action::Play}, {"Pause", Action::Pause}, {"PlayPause", Action::PlayPause},
                 {"Stop", Action::Stop}, {"Next", Action::Next},   {"Previous", Action::Previous}};
    for (const auto& n : names) EXPECT_EQ(desktop::actionNamed(n.method), n.action) << n.method;
    for (const char* other : {"play", "Seek", "OpenUri", "Quit", ""})
        EXPECT_EQ(desktop::actionNamed(other), std::nullopt) << other;

    const struct {
        Action action;
        std::string call;
        PlayState after;
        std::string item;
    } steps[] = {
        {Action::PlayPause, "play", PlayState::Playing, "Morning Song"},
        {Action::PlayPause, "pause", PlayState::Paused, "Morning Song"},
        {Action::PlayPause, "play", PlayState::Playing, "Morning Song"},
        {Action::Next, "next", PlayState::Playing, "Noon"},
        {Action::Pause, "pause", PlayState::Paused, "Noon"},
        {Action::Previous, "previous", PlayState::Ready, "Morning Song"},
        {Action::Play, "play", PlayState::Playing, "Morning Song"},
        {Action::Stop, "stop", PlayState::Stopped, "Morning Song"},
    };
    for (const auto& s : steps) {
        const size_t mark = player.calls().size();
        desktop::perform(s.action, player);
        EXPECT_EQ(callsSince(mark).front(), s.call);
        EXPECT_EQ(player.playState(), s.after) << s.call;
        EXPECT_EQ(player.currentMedia()->name(), s.item) << s.call;
    }
}

TEST_F(MprisPlayerTest, AStateReportsEverythingFirstThenOnlyWhatChanged) {
    MprisState state;
    const QVariantMap first = state.update(desktop::readSnapshot(player));
    EXPECT_EQ(first.keys(), (QStringList{"CanSeek", "LoopStatus", "Metadata", "PlaybackStatus", "Shuffle", "Volume"}));
    EXPECT_EQ(first, state.changingProperties());
    EXPECT_EQ(first.value("PlaybackStatus").toString(), QLatin1String("Stopped")) << "opened, not started";
    EXPECT_EQ(asMap(first.value("Metadata")).value("xesam:title").toString(), QLatin1String("Morning Song"));
    EXPECT_EQ(first.value("Volume").toDouble(), 0.5);
    EXPECT_EQ(first.value("Shuffle").toBool(), false);
    EXPECT_EQ(first.value("LoopStatus").toString(), QLatin1String("None"));
    EXPECT_TRUE(state.update(desktop::readSnapshot(player)).isEmpty()) << "nothing changed";


    const struct {
        std::function<void()> change;
        QVariantMap expected;
    } changes[] = {
        {[&] { player.controls().play(); }, {{"PlaybackStatus", "Playing"}}},
        {[&] { player.settings().setVolume(73); }, {{"Volume", 0.73}}},
        {[&] { player.settings().setMode("shuffle", true); }, {{"Shuffle", true}}},
        {[&] { player.settings().setMode("loop", true); }, {{"LoopStatus", "Playlist"}}},
        {[&] {
             player.settings().setMode("loop", false);
             player.settings().setVolume(10);
         },
         {{"LoopStatus", "None"}, {"Volume", 0.1}}},
    };
    for (const auto& c : changes) {
        c.change();
        EXPECT_EQ(state.update(desktop::readSnapshot(player)), c.expected);
    }

    player.controls().next();
    const QVariantMap next = state.update(desktop::readSnapshot(player));
    ASSERT_EQ(next.keys(), QStringList{"Metadata"}) << "still playing";
    const QVariantMap metadata = asMap(next.value("Metadata"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), QLatin1String("Noon"));
    EXPECT_FALSE(metadata.contains("mpris:length")) << "its length is not known";
    EXPECT_EQ(metadata, state.metadata());
}

// The scripted player with parts that fail: its current item cannot be
// read, or its controls raise what a player raises when nothing can play.
class FailingPlayer final : public platform::MediaPlayer, private platform::Controls {
public:
    FailingPlayer(bool itemFails, bool controlsFail) : itemFails_(itemFails), controlsFail_(controlsFail) {
        inner_.setCurrentPlaylist(inner_.playlistCollection().getByName("Evening")->item(0));
    }
    platform::Controls& controls() override { return controlsFail_ ? *this : inner_.controls(); }
    platform::MediaPtr currentMedia() override {
        if (itemFails_) failsafe::raiseError(-1072885353, "The item is gone");
        return inner_.currentMedia();
    }
    platform::PlayerSettings& settings() override { return inner_.settings(); }
    PlayState playState() override { return inner_.playState(); }
    std::string versionInfo() override { return inner_.versionInfo(); }
    platform::PlaylistPtr currentPlaylist() override { return inner_.currentPlaylist(); }
    void setCurrentPlaylist(platform::PlaylistPtr playlist) override { inner_.setCurrentPlaylist(playlist); }
    void setCurrentMedia(platform::MediaPtr media) override { inner_.setCurrentMedia(media); }
    platform::PlaylistCollection& playlistCollection() override { return inner_.playlistCollection(); }
    platform::CdromCollection& cdromCollection() override { return inner_.cdromCollection(); }
    platform::ErrorQueue& error() override { return inner_.error(); }
    void setModeChangeHandler(platform::ModeChangeHandler handler) override { inner_.setModeChangeHandler(handler); }
    double position() override { return inner_.position(); }
    std::optional<double> duration() override { return inner_.duration(); }
    bool canSeek() override { return inner_.canSeek(); }
    bool seek(double seconds) override {
        if (controlsFail_) refuse();
        return inner_.seek(seconds);
    }
    int32_t currentIndex() override { return inner_.currentIndex(); }
    void setEventHandler(platform::PlayerEventHandler handler) override { inner_.setEventHandler(handler); }

private:
    [[noreturn]] static void refuse() { failsafe::raiseError(-1072885350, "No audio device is available"); }
    void play() override { refuse(); }
    void pause() override { refuse(); }
    void stop() override { refuse(); }
    void next() override { refuse(); }
    void previous() override { refuse(); }

    platform::simulated::SimulatedPlayer inner_{platform::simulated::Scenario{{evening()}, {}}};
    bool itemFails_, controlsFail_;
};

TEST_F(MprisPlayerTest, ASnapshotReadsWhatItCanAndLeavesTheHostsErrorAlone) {
    FailingPlayer failing(true, false);
    failing.settings().setVolume(64);
    failing.settings().setMode("loop", true);
    failsafe::Err().number = 52;
    failsafe::Err().description = "the host's own";
    const PlayerSnapshot snapshot = desktop::readSnapshot(failing);
    EXPECT_FALSE(snapshot.hasMedia);
    EXPECT_EQ(snapshot.volume, 64);
    EXPECT_TRUE(snapshot.loop);
    EXPECT_EQ(snapshot.state, PlayState::Playing);
    EXPECT_EQ(failsafe::Err().number, 52);
    EXPECT_EQ(failsafe::Err().description, "the host's own");
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(fs->depth(), 0);
    failsafe::Err().clear();
}

// ---------------------------------------------------------------------------
// The service on a private session bus.

// A session bus of the test's own, ended with the test.
class PrivateBus {
public:
    explicit PrivateBus(const std::filesystem::path& folder) {
        const std::filesystem::path config = folder / "session.conf";
        std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                 "<busconfig><type>session</type>\n"
                              << "<listen>unix:path=" << (folder / "bus").string() << "</listen>\n"
                              << "<auth>EXTERNAL</auth>\n"
                                 "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        // Its complaints (about limits it may not raise, say) go to a file.
        const std::string log = (folder / "daemon.log").string();
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::string configArgument = "--config-file=" + config.string();
        std::vector<std::string> arguments{"dbus-daemon", configArgument, "--nofork", "--print-address"};
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        // The daemon prints its address once it listens.
        const QDeadlineTimer deadline(5000);
        char c = 0;
        pollfd readable{out[0], POLLIN, 0};
        while (pid_ > 0 && !deadline.hasExpired() && ::poll(&readable, 1, static_cast<int>(deadline.remainingTime())) > 0 &&
               ::read(out[0], &c, 1) == 1 && c != '\n')
            address_ += c;
        ::close(out[0]);
    }
    ~PrivateBus() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

// Runs the event loop until `done`, for at most five seconds.
bool spinUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

class MprisBusTest : public PlayerHostTest {
protected:
    ::lumo::testing::TempFolder busFolder{"lumo-mpris-bus"};
    std::optional<PrivateBus> bus;
    std::optional<std::string> savedAddress;
    QString clientName;
    std::optional<QDBusConnection> client;
    PropertiesWatch watch;
    const QString service = QString::fromLatin1(desktop::kServiceName);

    void SetUp() override {
        PlayerHostTest::SetUp();
        if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS")) savedAddress = address;
        bus.emplace(busFolder.path());
        ASSERT_FALSE(bus->address().empty()) << "dbus-daemon did not start";
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus->address().c_str(), 1);
    }
    void TearDown() override {
        PlayerHostTest::TearDown();
        // Taken off here, on this thread: dropped with the connection, the
        // match would be taken off on QtDBus's thread while the watch goes.
        if (client) {
            client->disconnect({}, desktop::kObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                               &watch, SLOT(changed(QString, QVariantMap, QStringList)));
            client->disconnect({}, desktop::kObjectPath, desktop::kPlayerInterface, "Seeked", &watch,
                               SLOT(seekedTo(qlonglong)));
        }
        // QtDBus also watches the watch's end; its thread tears that down
        // with the connection, which may be after the watch is gone.
        QObject::disconnect(&watch, nullptr, nullptr, nullptr);
        client.reset();
        if (!clientName.isEmpty()) QDBusConnection::disconnectFromBus(clientName);
        bus.reset();
        savedAddress ? ::setenv("DBUS_SESSION_BUS_ADDRESS", savedAddress->c_str(), 1)
                     : ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    // The desktop's side: a connection of its own, watching PropertiesChanged.
    void connectClient() {
        static int argc = 1, made = 0;
        static char name[] = "mpris_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        clientName = QStringLiteral("mpris-test-client-%1").arg(++made);
        client = QDBusConnection::connectToBus(QString::fromStdString(bus->address()), clientName);
        ASSERT_TRUE(client->isConnected()) << client->lastError().message().toStdString();
        ASSERT_TRUE(client->connect({}, desktop::kObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                    &watch, SLOT(changed(QString, QVariantMap, QStringList))));
        ASSERT_TRUE(client->connect({}, desktop::kObjectPath, desktop::kPlayerInterface, "Seeked", &watch,
                                    SLOT(seekedTo(qlonglong))));
        // The bus takes a connection's messages in order: once it answers
        // this, the match above is in place.
        busCall("GetId", {});
    }

    // Never a blocking call: the service answers on this very thread.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {},
                      const QString& to = desktop::kServiceName, const QString& path = desktop::kObjectPath) {
        QDBusMessage message = QDBusMessage::createMethodCall(to, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client->asyncCall(message, 5000);
        EXPECT_TRUE(spinUntil([&] { return pending.isFinished(); })) << method.toStdString() << " got no answer";
        return pending.reply();
    }
    QDBusMessage busCall(const char* method, const QVariantList& arguments) {
        return call("org.freedesktop.DBus", method, arguments, "org.freedesktop.DBus", "/org/freedesktop/DBus");
    }
    bool nameOnBus(const QString& name) { return busCall("NameHasOwner", {name}).arguments().value(0).toBool(); }
    bool player(const char* method, const QString& to = desktop::kServiceName) {
        const QDBusMessage reply = call(desktop::kPlayerInterface, method, {}, to);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method << ": " << reply.errorMessage().toStdString();
        return reply.type() == QDBusMessage::ReplyMessage;
    }
    QVariantMap all(const char* interface, const QString& to = desktop::kServiceName) {
        return asMap(call("org.freedesktop.DBus.Properties", "GetAll", {interface}, to).arguments().value(0));
    }
    QVariant get(const char* name) {
        return unwrap(call("org.freedesktop.DBus.Properties", "Get", {desktop::kPlayerInterface, name}).arguments().value(0));
    }
    void set(const char* name, const QVariant& value) {
        const QVariantList arguments{desktop::kPlayerInterface, name, QVariant::fromValue(QDBusVariant(value))};
        EXPECT_EQ(call("org.freedesktop.DBus.Properties", "Set", arguments).type(), QDBusMessage::ReplyMessage) << name;
    }
    // Waits for a PropertiesChanged holding `name`; its value, or invalid.
    QVariant announced(const char* name) {
        QVariant value;
        spinUntil([&] {
            for (auto change = watch.changes.rbegin(); change != watch.changes.rend(); ++change)
                if (change->contains(name)) return value = change->value(name), true;
            return false;
        });
        watch.changes.clear();
        return value;
    }
    std::vector<std::string> logLines() {
        return failsafe::testing::crlfLines(failsafe::testing::readFile(path("LUMOAudioErrors.log")));
    }
};

TEST_F(MprisBusTest, TheDesktopReadsAndControlsThePlayerOfTheLoadedHost) {
    const bool hadApplication = QCoreApplication::instance() != nullptr;
    if (!hadApplication) {
        ::setenv("LC_ALL", "C.UTF-8", 1);  // what Qt would take for the C library
        std::setlocale(LC_ALL, "C");
    }
    frmAudioPlayer& host = scriptedHost({{evening()}, {}});
    platform::MediaPlayer& wmp = host.WMPlayer();
    ASSERT_NE(QCoreApplication::instance(), nullptr) << "QtDBus needs one";
    if (!hadApplication) {
        EXPECT_FALSE(QCoreApplication::instance()->inherits("QGuiApplication")) << "no display";
        EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C") << "the host's locale is its own";
        ::unsetenv("LC_ALL");
    }
    EXPECT_EQ(desktop::desktopServiceName(), service);
    wmp.setCurrentPlaylist(wmp.playlistCollection().getByName("Evening")->item(0));
    connectClient();
    ASSERT_TRUE(nameOnBus(service));

    const QVariantMap root = all(desktop::kRootInterface);
    EXPECT_EQ(root.value("Identity").toString(), QLatin1String("LUMO Audio Player"));
    EXPECT_EQ(root.value("DesktopEntry").toString(), QLatin1String(desktop::kDesktopEntry));
    for (const char* no : {"CanQuit", "CanRaise", "HasTrackList"})
        EXPECT_EQ(root.value(no), QVariant(false)) << no;
    EXPECT_TRUE(root.value("SupportedUriSchemes").toStringList().contains("file"));
    EXPECT_TRUE(root.value("SupportedMimeTypes").toStringList().contains("audio/flac"));
    EXPECT_EQ(call(desktop::kRootInterface, "Raise").type(), QDBusMessage::ReplyMessage);

    const QVariantMap properties = all(desktop::kPlayerInterface);
    const QVariantMap expected{{"PlaybackStatus", "Stopped"}, {"Volume", 0.5}, {"Shuffle", false},
                               {"LoopStatus", "None"}, {"Position", qlonglong(0)}, {"Rate", 1.0},
                               {"MinimumRate", 1.0}, {"MaximumRate", 1.0}, {"CanPlay", true}, {"CanPause", true},
                               {"CanGoNext", true}, {"CanGoPrevious", true}, {"CanControl", true}, {"CanSeek", true}};
    for (auto value = expected.begin(); value != expected.end(); ++value)
        EXPECT_EQ(properties.value(value.key()), value.value()) << value.key().toStdString();
    QVariantMap metadata = asMap(properties.value("Metadata"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), QLatin1String("Morning Song"));
    EXPECT_EQ(metadata.value("xesam:url").toString(), QLatin1String("file:///music/morning.flac"));
    EXPECT_FALSE(metadata.contains("xesam:album")) << "the item has no album tag";
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 183'400'000);
    EXPECT_TRUE(isObjectPath(metadata.value("mpris:trackid").value<QDBusObjectPath>().path()));
    EXPECT_EQ(asMap(get("Metadata")), metadata) << "Get answers what GetAll does";

    // Each call acts on the host's player, and the change is announced.
    const struct {
        const char* method;
        PlayState state;
        const char* item;
        const char* property;  // announced, with the status or the title
        const char* value;
    } calls[] = {{"Play", PlayState::Playing, "Morning Song", "PlaybackStatus", "Playing"},
                 {"Pause", PlayState::Paused, "Morning Song", "PlaybackStatus", "Paused"},
                 {"PlayPause", PlayState::Playing, "Morning Song", "PlaybackStatus", "Playing"},
                 {"Stop", PlayState::Stopped, "Morning Song", "PlaybackStatus", "Stopped"},
                 {"Play", PlayState::Playing, "Morning Song", "PlaybackStatus", "Playing"},
                 {"Next", PlayState::Playing, "Noon", "Metadata", "Noon"},
                 {"Previous", PlayState::Playing, "Morning Song", "Metadata", "Morning Song"}};
    for (const auto& c : calls) {
        EXPECT_TRUE(player(c.method));
        EXPECT_EQ(wmp.playState(), c.state) << c.method;
        EXPECT_EQ(wmp.currentMedia()->name(), c.item) << c.method;
        const QVariant value = announced(c.property);
        EXPECT_EQ(c.property == std::string("Metadata") ? asMap(value).value("xesam:title").toString() : value.toString(),
                  QLatin1String(c.value))
            << c.method;
    }

    // Seeks move the item and are told with Seeked; a SetPosition past the
    // end or for another item does nothing, a Seek past the end is Next.
    const auto seek = [&](const char* method, QVariantList arguments) {
        EXPECT_EQ(call(desktop::kPlayerInterface, method, arguments).type(), QDBusMessage::ReplyMessage) << method;
    };
    const QVariant track = metadata.value("mpris:trackid");
    seek("SetPosition", {track, qlonglong(100'000'000)});
    seek("Seek", {qlonglong(-30'000'000)});
    EXPECT_EQ(wmp.position(), 70.0);
    EXPECT_EQ(get("Position").toLongLong(), 70'000'000);
    seek("SetPosition", {track, qlonglong(184'000'000)});
    seek("SetPosition", {QVariant::fromValue(desktop::trackIdOf("file:///music/noon.ogg", "Noon")), qlonglong(1)});
    EXPECT_EQ(wmp.position(), 70.0);
    seek("Seek", {qlonglong(114'000'000)});
    EXPECT_EQ(wmp.currentMedia()->name(), "Noon");
    EXPECT_TRUE(spinUntil([&] { return watch.seeked.size() >= 2; }));
    EXPECT_EQ(watch.seeked, (std::vector<qlonglong>{100'000'000, 70'000'000}));
    player("Previous");
    EXPECT_EQ(call(desktop::kPlayerInterface, "OpenUri", {"file:///elsewhere.ogg"}).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(wmp.currentMedia()->name(), "Morning Song");

    // The desktop's writes reach the player, bad ones clamped or refused.
    watch.changes.clear();
    set("Volume", 0.25);
    EXPECT_EQ(wmp.settings().volume(), 25);
    EXPECT_EQ(announced("Volume").toDouble(), 0.25);
    set("Volume", 3.0);
    EXPECT_EQ(wmp.settings().volume(), 100);
    set("Volume", std::nan(""));
    EXPECT_EQ(wmp.settings().volume(), 100);
    set("Shuffle", true);
    EXPECT_TRUE(wmp.settings().getMode("shuffle"));
    EXPECT_EQ(announced("Shuffle"), QVariant(true));
    set("LoopStatus", "Playlist");
    EXPECT_TRUE(wmp.settings().getMode("loop"));
    EXPECT_EQ(announced("LoopStatus").toString(), QLatin1String("Playlist"));
    set("LoopStatus", "Sometimes");
    EXPECT_TRUE(wmp.settings().getMode("loop")) << "an unknown status changes nothing";
    EXPECT_EQ(get("LoopStatus").toString(), QLatin1String("Playlist"));

    // What the host itself changes reaches the desktop too.
    wmp.settings().setVolume(80);
    EXPECT_EQ(announced("Volume").toDouble(), 0.8);
    wmp.controls().pause();
    EXPECT_EQ(announced("PlaybackStatus").toString(), QLatin1String("Paused"));
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(fs->depth(), 0);
}

TEST_F(MprisBusTest, TheNameComesAndGoesWithTheHostAndAnotherHoldersNameIsLeftAlone) {
    scriptedHost({{evening()}, {}});
    connectClient();
    ASSERT_TRUE(nameOnBus(service));
    unloadAudioPlayer();
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    EXPECT_TRUE(spinUntil([&] { return !nameOnBus(service); })) << "the name stays after the unload";
    for (int reload = 0; reload < 3; ++reload) {  // at once, without waiting for the bus
        AudioPlayer();
        EXPECT_EQ(desktop::desktopServiceName(), service) << reload;
        unloadAudioPlayer();
    }
    ASSERT_TRUE(spinUntil([&] { return !nameOnBus(service); }));

    // Another player process holds the name: this one takes its own.
    ASSERT_EQ(busCall("RequestName", {service, 4u}).arguments().value(0).toUInt(), 1u) << "the test owns the name";
    AudioPlayer();
    const QString instance = desktop::instanceServiceName(::getpid());
    EXPECT_EQ(desktop::desktopServiceName(), instance);
    EXPECT_EQ(all(desktop::kRootInterface, instance).value("Identity").toString(), QLatin1String("LUMO Audio Player"));
    EXPECT_TRUE(player("Play", instance));
    EXPECT_EQ(simulated->calls().back(), "play");
    EXPECT_TRUE(logLines().empty());
}

TEST_F(MprisBusTest, AHostThatEndsItsApplicationTakesTheServiceWithIt) {
    connectClient();  // makes an application when there is none
    scriptedHost({{evening()}, {}});
    ASSERT_EQ(desktop::desktopServiceName(), service);
    delete QCoreApplication::instance();
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    unloadAudioPlayer();  // finds nothing left to stop

    AudioPlayer();  // a later load makes what it needs again
    EXPECT_EQ(desktop::desktopServiceName(), service);
    EXPECT_TRUE(player("Play"));
    EXPECT_EQ(simulated->calls().back(), "play");
}

TEST_F(MprisBusTest, AControlThePlayerRefusesAnswersTheDesktopWithItsErrorAndOneLogLine) {
    setMediaPlayerFactory([] { return std::make_unique<FailingPlayer>(false, true); });
    common::CreateFSO();
    AudioPlayer();
    connectClient();
    failsafe::Err().number = 52;  // a host procedure's error, not yet read, while the call runs
    const QDBusMessage reply = call(desktop::kPlayerInterface, "Next");
    ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorMessage(), QLatin1String("No audio device is available"));
    EXPECT_EQ(failsafe::Err().number, 52);
    failsafe::Err().clear();
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("MprisService.Next Erl="), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("-1072885350"), std::string::npos) << lines[0];
    EXPECT_EQ(asked, 0) << "the desktop's call never stops at the error entry";
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_EQ(asMap(all(desktop::kPlayerInterface).value("Metadata")).value("xesam:title"), QVariant("Morning Song"))
        << "the service answers on, and the player is where it was";
}

TEST_F(MprisBusTest, TheSettingTurnsTheServiceOff) {
    for (const char* off : {"0", "False", "Off"}) {
        platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", off);
        scriptedHost({{evening()}, {}});
        EXPECT_TRUE(desktop::desktopServiceName().isEmpty()) << off;
        if (!client) connectClient();
        EXPECT_FALSE(nameOnBus(service)) << off;
        unloadAudioPlayer();
    }
    platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", "1");
    scriptedHost({{evening()}, {}});
    EXPECT_TRUE(nameOnBus(service));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(MprisBusTest, WithoutABusThereIsNoServiceAndNoError) {
    const QCoreApplication* before = QCoreApplication::instance();
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    scriptedHost({{evening()}, {}});
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    EXPECT_EQ(QCoreApplication::instance(), before) << "no bus, no Qt";
    EXPECT_TRUE(logLines().empty());
    unloadAudioPlayer();

    // A bus that does not answer is worth one line in the log, no more.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (busFolder / "nobody").string()).c_str(), 1);
    AudioPlayer();
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("frmAudioPlayer.MediaKeys Erl=0"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("nobody"), std::string::npos) << lines[0];
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(AudioPlayer().PlayListArray()->count(), 1) << "the host works as before";
}

}  // namespace
}  // namespace lumo::player::testing

#include "mpris_test.moc"
