// The desktop's media controls where the end-to-end run on lumo-host cannot
// go: the mapping's edge values and the service's life on a private session
// bus, with the player host's lifetime hooked up as the library's start-up
// does it.
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

#include "media_keys/mpris_service.h"
#include "media_keys/mpris_state.h"
#include "tests/player/player_fixture.h"

namespace lumo::media_keys::testing {
namespace {

using player::AudioPlayer;
using player::unloadAudioPlayer;
using player::testing::PlayerHostTest;
using platform::PlayState;
using platform::simulated::ItemScript;
using platform::simulated::PlaylistScript;

constexpr double infinity = std::numeric_limits<double>::infinity();

PlaylistScript evening() {
    return {"Evening", false, {ItemScript{"Morning Song", "file:///music/morning.flac", "audio", "183.4"}}};
}

TEST(MprisMapping, EdgeValuesOfStatusLengthVolumeAndLoop) {
    for (const PlayState passing : {PlayState::Transitioning, PlayState::Buffering, PlayState::Waiting}) {
        EXPECT_EQ(playbackStatusOf(passing, "Paused"), QLatin1String("Paused"));
        EXPECT_EQ(playbackStatusOf(passing, QString()), QLatin1String("Stopped"));
    }
    PlayerSnapshot snapshot;
    snapshot.hasMedia = true;
    snapshot.title = "t";
    snapshot.url = "file:///ü/ñ.ogg";
    for (const std::optional<double> unknown : {std::optional<double>(), {0.0}, {-3.0}, {infinity}, {std::nan("")}, {4e7}}) {
        snapshot.duration = unknown;
        EXPECT_FALSE(metadataOf(snapshot).contains("mpris:length")) << unknown.value_or(-1);
    }
    EXPECT_EQ(durationMicroseconds(0.0000005), 1);
    EXPECT_NE(trackIdOf("ab", "c").path(), trackIdOf("a", "bc").path());
    EXPECT_TRUE(QDBusObjectPath(trackIdOf(snapshot.url, "").path()).path().startsWith('/'));
    snapshot.hasMedia = false;
    EXPECT_TRUE(metadataOf(snapshot).isEmpty()) << "no item, no metadata";

    const std::pair<double, std::optional<int32_t>> writes[] = {  // the fraction the desktop writes, the player's volume
        {0.254, 25}, {0.256, 26}, {-0.5, 0}, {7.0, 100}, {infinity, 100}, {-infinity, 0}, {std::nan(""), {}}};
    for (const auto& [fraction, volume] : writes) EXPECT_EQ(playerVolumeOf(fraction), volume) << fraction;
    EXPECT_EQ(volumeFractionOf(130), 1.0);
    EXPECT_EQ(loopModeOf("Track"), true) << "the nearest the player has";
    for (const char* bad : {"", "none", "Always"}) EXPECT_EQ(loopModeOf(bad), std::nullopt) << bad;
    EXPECT_TRUE(mediaKeysEnabled(std::nullopt));
    for (const char* on : {"", "1", "yes", "2"}) EXPECT_TRUE(mediaKeysEnabled(on)) << on;
    for (const char* off : {"0", "false", " OFF ", "No"}) EXPECT_FALSE(mediaKeysEnabled(off)) << off;
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
    const QString service = QString::fromLatin1(kServiceName);

    void SetUp() override {
        PlayerHostTest::SetUp();
        player::setHostLifetime({startDesktopService, stopDesktopService});
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
        player::setHostLifetime({});
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
    QDBusMessage call(const QString& method, const QVariantList& arguments = {}, const QString& to = kServiceName,
                      const QString& interface = kPlayerInterface, const QString& path = kObjectPath) {
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

TEST_F(MprisBusTest, TheSettingTurnsTheServiceOffAndWithoutABusThereIsNoError) {
    connectClient();
    platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", "Off");  // each text that is off: MprisMapping
    scriptedHost({{evening()}, {}});
    EXPECT_TRUE(desktopServiceName().isEmpty());
    EXPECT_FALSE(nameOnBus(service));
    unloadAudioPlayer();
    platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", "1");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    AudioPlayer();
    EXPECT_TRUE(desktopServiceName().isEmpty());
    EXPECT_TRUE(logLines().empty());
    unloadAudioPlayer();

    // A bus that does not answer is worth one line in the log, no more.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (folder / "nobody").string()).c_str(), 1);
    AudioPlayer();
    EXPECT_TRUE(desktopServiceName().isEmpty());
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
        call("Set", {kPlayerInterface, name, QVariant::fromValue(QDBusVariant(value))}, service, properties);
    };
    EXPECT_EQ(get(kRootInterface, "Identity").toString(), QLatin1String(kIdentity));
    EXPECT_EQ(get(kRootInterface, "SupportedUriSchemes").toStringList(), (QStringList{"file", "cdda"}));
    EXPECT_TRUE(get(kRootInterface, "SupportedMimeTypes").toStringList().contains("audio/x-wav"))
        << "the installed WAVE parser plays it";
    for (const char* method : {"Raise", "Quit"})
        EXPECT_EQ(call(method, {}, service, kRootInterface).type(), QDBusMessage::ReplyMessage) << method;
    EXPECT_TRUE(nameOnBus(service)) << "Quit is the host's to decide";

    set("Shuffle", true);
    EXPECT_TRUE(simulated->settings().getMode("shuffle"));
    set("LoopStatus", "Playlist");
    set("LoopStatus", "Sometimes");
    EXPECT_TRUE(simulated->settings().getMode("loop")) << "an unknown loop status changes nothing";
    set("Rate", 2.0);
    EXPECT_EQ(get(kPlayerInterface, "Rate").toDouble(), 1.0);
    EXPECT_TRUE(logLines().empty());
}



}  // namespace
}  // namespace lumo::media_keys::testing
