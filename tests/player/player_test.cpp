// The player host over its library and drives, and the desktop's media
// controls where the end-to-end run on lumo-host cannot go: the mapping's
// edge values and the service's life on a private session bus.
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
#include <regex>
#include <tuple>

#include "common/formatting.h"
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
using platform::simulated::DriveScript;
using platform::simulated::ItemScript;
using platform::simulated::PlaylistScript;

const platform::ErrorItem missing{1, "file:///m/gone.flac", -1072885353, "filesrc", "Resource not found"};
const ItemScript failing{"Gone", "file:///m/gone.flac", "audio", "1.0", PlayState::Ready, PlayState::Playing, missing};

TEST_F(PlayerHostTest, LibraryPlaylistsAreMadeCurrentByName) {
    platform::writeSetting("LUMO Player", "Library", "PlaylistFolders",
                           (home / "lists").string() + "\n" + (home / "lists2").string());
    const fs::path one = tone("one.wav"), two = tone("two.wav");
    playlist("Evening", {one, two});
    playlist("Empty", {});
    playlist("Jazz", {one});
    playlist("Jazz", {one, two}, "lists2");
    std::ofstream(home / "lists/recent.autopl") << "[Auto Playlist]\nName=Recent\nRule1=path contains music\n";
    frmAudioPlayer& window = realHost();
    const struct {
        bool standard;
        std::string name;
        int32_t flags;        // -1: activated
        std::string current;  // name, items and kind of the current playlist afterwards
    } cases[] = {
        {true, "Evening", -1, "Evening 2 Static"}, {true, "Nowhere", 0x0002, "Evening 2 Static"},
        {true, "Jazz", -1, "Jazz 1 Static"},       // the first of two
        {false, "Empty", 0x0004, "Empty 0 Static"},  // made current all the same
        {true, "Recent", -1, "Recent 2 Auto"},
    };
    for (const auto& c : cases) {
        selection.sPlayList = c.name;
        flags = 0;
        EXPECT_EQ(c.standard ? window.SetStandard_PL(error, flags) : window.SetAuto_PL(error, flags), c.flags == -1) << c.name;
        EXPECT_EQ(flags, std::max(c.flags, 0)) << c.name;
        const PlaylistPtr current = window.WMPlayer().currentPlaylist();
        ASSERT_NE(current, nullptr) << c.name;
        EXPECT_EQ(current->name() + " " + std::to_string(current->count()) + " " + current->getItemInfo("PlaylistType"),
                  c.current);
    }
    EXPECT_EQ(error, "before");
    EXPECT_NE(window.WMPlayer().playState(), PlayState::Playing);
}

TEST_F(PlayerHostTest, AFailedActivationReportsThePlayersFirstErrorAndADiscsQueuedErrorEndsIt) {
    audioDisc("D", "bad", {150});
    audioDisc("E", "good", {150});
    frmAudioPlayer& window = scriptedHost({{{"Broken", true, {failing}}},
                                           {DriveScript{"D:", PlaylistScript{"Audio CD", false, {failing}}},
                                            DriveScript{"E:", PlaylistScript{"Audio CD", false, {{"Track 1", "cdda://e#1"}}}}}});
    selection.sPlayList = "Broken";  // the player queues an error, the activation itself succeeds
    EXPECT_TRUE(window.SetAuto_PL(error, flags));
    EXPECT_EQ(error, "before");
    simulated->scenario().libraryFails = true;
    EXPECT_FALSE(window.SetAuto_PL(error, flags));
    EXPECT_EQ(flags, 0x0008);
    EXPECT_EQ(error, common::GetErrorItemString(missing));
    EXPECT_EQ(simulated->error().errorCount(), 0) << "the queue is emptied";
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "play"), 0);

    simulated->scenario().libraryFails = false;
    selection = {automation::playlist_type::Cdrom, "", 12, "E:", "", "Audio CD", 0, ""};
    error = "before";
    flags = 0;
    EXPECT_FALSE(window.SetCDROM_PL(error, flags));
    EXPECT_EQ(flags, 0x0008);
    EXPECT_EQ(error, common::GetErrorItemString(missing));
    EXPECT_EQ(simulated->error().errorCount(), 0);
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "currentPlaylist=Audio CD"), 1)
        << "the drive letter's block did not run";
    EXPECT_EQ(asked, 0);
}

TEST_F(PlayerHostTest, EachCriterionThatRunsDecidesTheCdActivationUnlessTheDiscHoldsNothing) {
    frmAudioPlayer& window = fourDrives();  // D, E: "Audio CD"; F: data disc BACKUP; G: no disc
    const struct {
        int32_t how;
        std::string volume, serial, letter, prompted;
        bool result;
        int32_t flags;
        int32_t items;  // of the current playlist afterwards, -1 for none
    } cases[] = {
        {0, "", "", "", "", false, 0x0200, -1},  // nothing prompted: no drive
        {0, "", "", "", "D:", true, 0, 3},
        {0, "", "", "", "F:", false, 0x0C00, 0},             // a data disc has no tracks
        {6, "Audio CD", "12345", "", "", false, 0x0040, 3},  // D made current, then no disc of that serial
        {12, "audio cd", "", "E:", "", true, 0x0040, 2},     // found by its drive alone
        {8, "", "", "G:", "", false, 0x0400, 2},             // no disc: the tracks of before are not the drive's
        {4, "BACKUP", "", "", "", false, 0x0400, 0},
    };
    for (const auto& c : cases) {
        selection = {automation::playlist_type::Cdrom, "", c.how, c.letter, c.serial, c.volume, 0, c.prompted};
        flags = 0;
        const std::string label = std::to_string(c.how) + c.volume + c.letter + c.prompted;
        EXPECT_EQ(window.SetCDROM_PL(error, flags), c.result) << label;
        EXPECT_EQ(flags, c.flags) << label;
        const PlaylistPtr current = window.WMPlayer().currentPlaylist();
        EXPECT_EQ(current ? current->count() : -1, c.items) << label;
    }
    EXPECT_EQ(error, "before");
    EXPECT_EQ(asked, 0);
}

TEST_F(PlayerHostTest, ALibraryFailingAtLoadIsLoggedOnceAndLeavesNoList) {
    Scenario scenario{{{"Jazz", false, {{"Take Five", "file:///m/t5.flac"}}}, {"Rock", true}}, {}};
    scenario.libraryFails = true;
    frmAudioPlayer& window = scriptedHost(scenario);
    EXPECT_EQ(&AudioPlayer(), &window);
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "volume=50"), 1) << "loaded once";
    EXPECT_EQ(window.PlayListArray(), nullptr);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(.* LAP LOG ERROR: frmAudioPlayer\.Load Erl=[1-9]\d* )"
                                                      R"(Error Number=-1072885353 'The media library is not available')")))
        << lines[0];
    EXPECT_EQ(asked, 0);

    window.BuildPlayLists();  // asked for later, under the framework's trap
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fs->lastError().slots[0].procedure, "Sub BuildPlayLists");
    simulated->scenario().libraryFails = false;
    window.BuildPlayLists();
    ASSERT_NE(window.PlayListArray(), nullptr);
    EXPECT_EQ(window.PlayListArray()->count(), 2);
}

CdromPtr playerDrive(int32_t index) { return AudioPlayer().WMPlayer().cdromCollection().item(index); }

TEST_F(PlayerHostTest, DiscsAreFoundByExactVolumeNameAndNumericSerialInDrivesBothSidesKnow) {
    frmAudioPlayer& window = fourDrives();
    const int32_t serialF = serialOf("F"), serialE = serialOf("E");
    ASSERT_LT(serialF, 0);
    const std::tuple<std::string, std::string, std::string> cases[] = {  // by the serial when one is given; found "" for none
        {"Audio CD", "", "D:"},  // two discs of that name: the first drive
        {"BACKUP", "", "F:"}, {"backup", "", ""}, {"", "", ""},  // the empty drive G has no name to match
        {"", std::to_string(serialF), "F:"}, {"", "-0" + std::to_string(-serialF), "F:"},
        {"", "0" + std::to_string(serialE), "E:"}, {"", std::to_string(serialE + 1), ""},
    };
    for (const auto& [volume, serial, found] : cases) {
        selection.sVolumeName = volume;
        selection.sSerNum = serial;
        const bool bySerial = !serial.empty();
        std::string drive;
        EXPECT_EQ(bySerial ? window.CDSerNumExistsAnyDrive(drive) : window.VolumeNameExistsAnyDrive(drive), !found.empty());
        CdromPtr cdrom;
        int32_t flags = 0;
        const bool got = bySerial ? window.GetWMPCDROMByCDSerialNumber(cdrom, flags) : window.GetWMPCDROMByVolumeName(cdrom, flags);
        EXPECT_EQ(drive + "|" + (got ? cdrom->driveSpecifier() : "") + "|" + std::to_string(flags),
                  found + "|" + found + "|" + (got ? "0" : "64"))
            << volume << serial;
    }
    dataDisc("H", "ONLYHERE");  // known to the drive object made now, not to the player
    common::CreateFSO();
    selection.sVolumeName = "ONLYHERE";
    selection.sSerNum = std::to_string(serialOf("H"));
    std::string drive = "none";
    EXPECT_FALSE(window.VolumeNameExistsAnyDrive(drive));
    EXPECT_FALSE(window.CDSerNumExistsAnyDrive(drive));
    EXPECT_EQ(drive, "none");

    selection.sSerNum = "12a";  // no number: an error where it is compared, and only there
    EXPECT_FALSE(window.CDDriveHasSerialNumber(playerDrive(3)));  // G holds nothing to compare
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(window.CDDriveHasSerialNumber(playerDrive(0)));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fs->lastError().slots[0].number, 13);
    EXPECT_EQ(fs->lastError().slots[0].procedure, "Function CDDriveHasSerialNumber");
    EXPECT_FALSE(window.CDSerNumExistsAnyDrive(drive));  // passed over: not found
    EXPECT_EQ(drive, "none");

    common::ReleaseFSO();  // without the drive object nothing is found, and nothing is an error
    selection.sVolumeName = "Audio CD";
    EXPECT_FALSE(window.VolumeNameExistsAnyDrive(drive));
    EXPECT_FALSE(window.CDDriveHasVolume(playerDrive(0)));
    CdromPtr cdrom;
    EXPECT_FALSE(window.GetWMPCDROMByVolumeName(cdrom, flags));  // the fixture's flags, 0 until now
    EXPECT_EQ(flags, 0x0040);
    EXPECT_EQ(asked, 1);
}



constexpr double infinity = std::numeric_limits<double>::infinity();

PlaylistScript evening() {
    return {"Evening", false, {ItemScript{"Morning Song", "file:///music/morning.flac", "audio", "183.4"}}};
}

TEST(MprisMapping, EdgeValuesOfStatusLengthVolumeAndLoop) {
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

    const std::pair<double, std::optional<int32_t>> writes[] = {  // the fraction the desktop writes, the player's volume
        {0.254, 25}, {0.256, 26}, {-0.5, 0}, {7.0, 100}, {infinity, 100}, {-infinity, 0}, {std::nan(""), {}}};
    for (const auto& [fraction, volume] : writes) EXPECT_EQ(desktop::playerVolumeOf(fraction), volume) << fraction;
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
    const std::pair<qint64, SeekRequest> seeks[] = {  // the offset, what the player is asked
        {-41'000'000, {Seek::MoveTo, 0}}, {least, {Seek::MoveTo, 0}}, {60'000'000, {Seek::MoveTo, 100'000'000}},
        {60'000'001, {Seek::Next, 0}}, {most, {Seek::Next, 0}}};
    for (const auto& [offset, request] : seeks) EXPECT_TRUE(state.seekBy(offset) == request) << offset;
    const std::tuple<QDBusObjectPath, qint64, SeekRequest> moves[] = {
        {track, 100'000'000, {Seek::MoveTo, 100'000'000}}, {track, 100'000'001, {}}, {track, -1, {}},
        {desktop::trackIdOf(snapshot.url, "two"), 5, {}}};
    for (const auto& [to, position, request] : moves) EXPECT_TRUE(state.seekTo(to, position) == request) << position;
    snapshot.duration.reset();  // no length: no bound above
    state.update(snapshot);
    EXPECT_TRUE(state.seekBy(most) == (SeekRequest{Seek::MoveTo, most}));
    snapshot.canSeek = false;
    EXPECT_EQ(state.update(snapshot), (QVariantMap{{"CanSeek", false}}));
    EXPECT_TRUE(state.seekBy(1) == SeekRequest{});
    EXPECT_TRUE(state.seekTo(track, 1) == SeekRequest{});
}

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
    pid_t daemon = -1;
    std::string address;
    std::optional<QDBusConnection> client;
    const QString service = QString::fromLatin1(desktop::kServiceName);

    void SetUp() override {
        PlayerHostTest::SetUp();
        if (FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r")) {
            char line[512] = {};
            if (std::fscanf(out, "%511s %d", line, &daemon) == 2) address = line;
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
    platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", "Off");  // each text that is off: MprisMapping
    scriptedHost({{evening()}, {}});
    EXPECT_TRUE(desktop::desktopServiceName().isEmpty());
    EXPECT_FALSE(nameOnBus(service));
    unloadAudioPlayer();
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

TEST_F(MprisBusTest, EachControlReachesThePlayerAndWhatTheHostKeepsIsAnsweredWithoutEffect) {
    scriptedHost({{evening()}, {}});
    connectClient();
    const std::pair<const char*, const char*> controls[] = {  // the method, the player's call
        {"Play", "play"}, {"Pause", "pause"}, {"PlayPause", "play"} /* nothing plays */,
        {"Next", "next"}, {"Previous", "previous"}, {"Stop", "stop"}};
    for (const auto& [method, reached] : controls) {
        EXPECT_EQ(call(method).type(), QDBusMessage::ReplyMessage) << method;
        EXPECT_EQ(simulated->calls().back(), reached) << method;
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
