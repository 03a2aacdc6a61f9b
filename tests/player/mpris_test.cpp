// The desktop's media controls where the end-to-end run on lumo-host cannot
// go: the mapping's edge values, a player whose parts fail, and the service's
// life on a private session bus (another holder of the name, a host that
// ends its application, the setting, no bus or a bus that does not answer).
#include <signal.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <limits>

#include "player/desktop/mpris_service.h"
#include "player/desktop/mpris_state.h"
#include "player_fixture.h"

namespace lumo::player::testing {
namespace {

using desktop::MprisState;
using desktop::PlayerSnapshot;
using desktop::SeekRequest;
using Seek = SeekRequest::Kind;
using platform::PlayState;
using platform::simulated::ItemScript;
using platform::simulated::PlaylistScript;

constexpr double infinity = std::numeric_limits<double>::infinity();

PlaylistScript evening() {
    return {"Evening", false, {ItemScript{"Morning Song", "file:///music/morning.flac", "audio", "183.4"}}};
}

TEST(MprisMapping, EdgeValuesOfStatusLengthVolumeAndLoop) {
    // Passing states keep the previous status, with none before: Stopped.
    for (const PlayState passing : {PlayState::Transitioning, PlayState::Buffering, PlayState::Waiting}) {
        EXPECT_EQ(desktop::playbackStatusOf(passing, "Paused"), QLatin1String("Paused"));
        EXPECT_EQ(desktop::playbackStatusOf(passing, QString()), QLatin1String("Stopped"));
    }
    PlayerSnapshot snapshot;
    snapshot.hasMedia = true;
    snapshot.title = "t";
    snapshot.url = "file:///ü/ñ.ogg";
    for (const std::optional<double> unknown : {std::optional<double>(), {0.0}, {-3.0}, {infinity}, {std::nan("")}, {4e7}}) {
        snapshot.duration = unknown;
        EXPECT_FALSE(desktop::metadataOf(snapshot).contains("mpris:length")) << unknown.value_or(-1);
    }
    EXPECT_EQ(desktop::durationMicroseconds(0.0000005), 1);
    EXPECT_NE(desktop::trackIdOf("ab", "c").path(), desktop::trackIdOf("a", "bc").path());
    EXPECT_TRUE(QDBusObjectPath(desktop::trackIdOf(snapshot.url, "").path()).path().startsWith('/'));
    snapshot.hasMedia = false;
    EXPECT_TRUE(desktop::metadataOf(snapshot).isEmpty()) << "no item, no metadata";

    const struct {
        double fraction;
        std::optional<int32_t> volume;
    } writes[] = {{0.254, 25}, {0.256, 26}, {-0.5, 0}, {7.0, 100}, {infinity, 100}, {-infinity, 0}, {std::nan(""), {}}};
    for (const auto& w : writes) EXPECT_EQ(desktop::playerVolumeOf(w.fraction), w.volume) << w.fraction;
    EXPECT_EQ(desktop::volumeFractionOf(130), 1.0);
    EXPECT_EQ(desktop::loopModeOf("Track"), true) << "the nearest the player has";
    for (const char* bad : {"", "none", "Always"}) EXPECT_EQ(desktop::loopModeOf(bad), std::nullopt) << bad;
    EXPECT_TRUE(desktop::mediaKeysEnabled(std::nullopt));
    for (const char* on : {"", "1", "yes", "2"}) EXPECT_TRUE(desktop::mediaKeysEnabled(on)) << on;
    for (const char* off : {"0", "false", " OFF ", "No"}) EXPECT_FALSE(desktop::mediaKeysEnabled(off)) << off;
}

TEST(MprisMapping, SeeksStayWithinTheSeekableCurrentItem) {
    MprisState state;
    PlayerSnapshot snapshot;
    snapshot.state = PlayState::Playing;
    snapshot.hasMedia = true;
    snapshot.title = "one";
    snapshot.url = "file:///music/one.flac";
    snapshot.duration = 100;
    snapshot.position = 40;
    snapshot.canSeek = true;
    state.update(snapshot);
    const QDBusObjectPath track = desktop::trackIdOf(snapshot.url, snapshot.title);
    constexpr qint64 most = std::numeric_limits<qint64>::max(), least = std::numeric_limits<qint64>::min();
    const struct {
        qint64 offset;
        SeekRequest request;
    } seeks[] = {{-41'000'000, {Seek::MoveTo, 0}}, {least, {Seek::MoveTo, 0}},
                 {60'000'000, {Seek::MoveTo, 100'000'000}}, {60'000'001, {Seek::Next, 0}}, {most, {Seek::Next, 0}}};
    for (const auto& s : seeks) EXPECT_TRUE(state.seekBy(s.offset) == s.request) << s.offset;
    const struct {
        QDBusObjectPath track;
        qint64 position;
        SeekRequest request;
    } moves[] = {{track, 100'000'000, {Seek::MoveTo, 100'000'000}}, {track, 100'000'001, {}}, {track, -1, {}},
                 {desktop::trackIdOf(snapshot.url, "two"), 5, {}}};
    for (const auto& m : moves) EXPECT_TRUE(state.seekTo(m.track, m.position) == m.request) << m.position;
    snapshot.duration.reset();  // no length: no bound above
    state.update(snapshot);
    EXPECT_TRUE(state.seekBy(most) == (SeekRequest{Seek::MoveTo, most}));
    snapshot.canSeek = false;
    EXPECT_EQ(state.update(snapshot), (QVariantMap{{"CanSeek", false}}));
    EXPECT_TRUE(state.seekBy(1) == SeekRequest{});
    EXPECT_TRUE(state.seekTo(track, 1) == SeekRequest{});
}

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

// A session bus of the test's own, and the desktop's connection to it.
class MprisBusTest : public PlayerHostTest {
protected:
    pid_t daemon = -1;
    std::string address;
    std::optional<QDBusConnection> client;
    const QString service = QString::fromLatin1(desktop::kServiceName);

    void SetUp() override {
        PlayerHostTest::SetUp();
        if (FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r")) {
            char line[512] = {};
            if (std::fgets(line, sizeof line, out)) address = std::string(line, std::strcspn(line, "\n"));
            if (std::fgets(line, sizeof line, out)) daemon = std::atoi(line);
            ::pclose(out);
        }
        ASSERT_GT(daemon, 0) << "dbus-daemon did not start";
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }
    void TearDown() override {
        PlayerHostTest::TearDown();
        client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("mpris-test-client"));
        if (daemon > 0) ::kill(daemon, SIGTERM);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    void connectClient() {
        static int argc = 1;
        static char name[] = "mpris_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        QDBusConnection::disconnectFromBus(QStringLiteral("mpris-test-client"));
        client = QDBusConnection::connectToBus(QString::fromStdString(address), QStringLiteral("mpris-test-client"));
        ASSERT_TRUE(client->isConnected()) << client->lastError().message().toStdString();
    }
    // Never a blocking call: the service answers on this very thread.
    QDBusMessage call(const QString& method, const QVariantList& arguments = {}, const QString& to = desktop::kServiceName,
                      const QString& interface = desktop::kPlayerInterface, const QString& path = desktop::kObjectPath) {
        QDBusMessage message = QDBusMessage::createMethodCall(to, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client->asyncCall(message, 5000);
        EXPECT_TRUE(spinUntil([&] { return pending.isFinished(); })) << method.toStdString() << " got no answer";
        return pending.reply();
    }
    QDBusMessage busCall(const char* method, const QVariantList& arguments) {
        return call(method, arguments, "org.freedesktop.DBus", "org.freedesktop.DBus", "/org/freedesktop/DBus");
    }
    bool nameOnBus(const QString& name) { return busCall("NameHasOwner", {name}).arguments().value(0).toBool(); }
    std::vector<std::string> logLines() {
        return failsafe::testing::crlfLines(lumo::testing::bytesOf(path("LUMOAudioErrors.log")));
    }
};

TEST_F(MprisBusTest, TheNameComesAndGoesWithTheHostItsApplicationAndAnotherHoldersNameIsLeftAlone) {
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
    EXPECT_EQ(call("Play", {}, instance).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(simulated->calls().back(), "play");
    EXPECT_TRUE(logLines().empty());
    unloadAudioPlayer();

    // A host that ends its application takes the service with it; a later
    // load makes what it needs again.
    busCall("ReleaseName", {service});
    AudioPlayer();
    ASSERT_EQ(desktop::desktopServiceName(), service);
    delete QCoreApplication::instance();
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    unloadAudioPlayer();  // finds nothing left to stop
    connectClient();
    AudioPlayer();
    EXPECT_EQ(desktop::desktopServiceName(), service);
    EXPECT_EQ(call("Play").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(simulated->calls().back(), "play");
}

TEST_F(MprisBusTest, TheSettingTurnsTheServiceOffAndWithoutABusThereIsNoError) {
    connectClient();
    for (const char* off : {"0", "False", "Off"}) {
        platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", off);
        scriptedHost({{evening()}, {}});
        EXPECT_TRUE(desktop::desktopServiceName().isEmpty()) << off;
        EXPECT_FALSE(nameOnBus(service)) << off;
        unloadAudioPlayer();
    }
    platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", "1");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    AudioPlayer();
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    EXPECT_TRUE(logLines().empty());
    unloadAudioPlayer();

    // A bus that does not answer is worth one line in the log, no more.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (folder / "nobody").string()).c_str(), 1);
    AudioPlayer();
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("frmAudioPlayer.MediaKeys Erl=0"), std::string::npos) << lines[0];
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(AudioPlayer().PlayListArray()->count(), 1) << "the host works as before";
}

// Every control of the desktop's reaches the player; what the host keeps to
// itself (opening files, raising, quitting, another rate) is answered and
// changes nothing.
TEST_F(MprisBusTest, EachControlReachesThePlayerAndWhatTheHostKeepsIsAnsweredWithoutEffect) {
    scriptedHost({{evening()}, {}});
    connectClient();
    const struct {
        const char* method;
        const char* reached;
    } controls[] = {{"Play", "play"},          {"Pause", "pause"}, {"PlayPause", "play"} /* nothing plays */,
                    {"Next", "next"},          {"Previous", "previous"}, {"Stop", "stop"}};
    for (const auto& c : controls) {
        EXPECT_EQ(call(c.method).type(), QDBusMessage::ReplyMessage) << c.method;
        EXPECT_EQ(simulated->calls().back(), c.reached) << c.method;
    }
    EXPECT_EQ(call("OpenUri", {QStringLiteral("file:///elsewhere.ogg")}).errorName(),
              QLatin1String("org.freedesktop.DBus.Error.NotSupported"));

    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    const auto get = [&](const char* interface, const char* name) {
        return call("Get", {interface, name}, service, properties).arguments().value(0).value<QDBusVariant>().variant();
    };
    const auto set = [&](const char* name, const QVariant& value) {
        call("Set", {desktop::kPlayerInterface, name, QVariant::fromValue(QDBusVariant(value))}, service, properties);
    };
    EXPECT_EQ(get(desktop::kRootInterface, "Identity").toString(), QLatin1String(desktop::kIdentity));
    EXPECT_EQ(get(desktop::kRootInterface, "SupportedUriSchemes").toStringList(), (QStringList{"file", "cdda"}));
    EXPECT_TRUE(get(desktop::kRootInterface, "SupportedMimeTypes").toStringList().contains("audio/x-wav"))
        << "the installed WAVE parser plays it";
    for (const char* method : {"Raise", "Quit"})
        EXPECT_EQ(call(method, {}, service, desktop::kRootInterface).type(), QDBusMessage::ReplyMessage) << method;
    EXPECT_TRUE(nameOnBus(service)) << "Quit is the host's to decide";

    set("Shuffle", true);
    EXPECT_TRUE(simulated->settings().getMode("shuffle"));
    set("LoopStatus", "Playlist");
    set("LoopStatus", "Sometimes");
    EXPECT_TRUE(simulated->settings().getMode("loop")) << "an unknown loop status changes nothing";
    set("Rate", 2.0);
    EXPECT_EQ(get(desktop::kPlayerInterface, "Rate").toDouble(), 1.0);
    EXPECT_TRUE(logLines().empty());
}

}  // namespace
}  // namespace lumo::player::testing
