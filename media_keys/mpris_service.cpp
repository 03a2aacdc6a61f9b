#include "media_keys/mpris_service.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QTimer>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/message_boxes.h"
#include "common/qt_application.h"
#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "media_keys/mpris_adaptors.h"

namespace lumo::media_keys {
namespace detail {

void PlayerAdaptor::act(Action action) {
    const QString failure = link_.act(action);
    if (!failure.isEmpty() && object_.calledFromDBus()) object_.sendErrorReply(QDBusError::Failed, failure);
}

void PlayerAdaptor::answer(const PlayerLink::SeekOutcome& seeked) {
    if (!seeked.failure.isEmpty() && object_.calledFromDBus()) object_.sendErrorReply(QDBusError::Failed, seeked.failure);
    if (seeked.position) Q_EMIT Seeked(*seeked.position);
}

void PlayerAdaptor::OpenUri(const QString& Uri) {
    if (object_.calledFromDBus())
        object_.sendErrorReply(QDBusError::NotSupported,
                               QStringLiteral("The host chooses what plays; %1 is not opened").arg(Uri));
}

}  // namespace detail

namespace {

using detail::MprisObject;
using failsafe::LogAndClear;
using failsafe::NoTrace;
using failsafe::PassOver;
using failsafe::Procedure;
using failsafe::TraceName;

constexpr TraceName kModule("MprisService");
constexpr char kLogLocation[] = "frmAudioPlayer.MediaKeys";
constexpr std::chrono::milliseconds kSampleInterval(250);

// The player the host's own calls reach, while the host is loaded.
platform::MediaPlayer* hostPlayer() {
    return player::audioPlayerLoaded() ? &player::AudioPlayer().WMPlayer() : nullptr;
}

// The desktop's calls run when the host's thread runs its event loop, which
// may be inside a host procedure that holds an error it has yet to read:
// whatever a call does, that error is there again afterwards.
class KeepHostError {
public:
    KeepHostError() : kept_(failsafe::Err()) {}
    ~KeepHostError() { failsafe::Err() = kept_; }
    KeepHostError(const KeepHostError&) = delete;
    KeepHostError& operator=(const KeepHostError&) = delete;

private:
    failsafe::ErrorState kept_;
};

TraceName procedureOf(Action action) {
    switch (action) {
        case Action::Play: return "Sub Play";
        case Action::Pause: return "Sub Pause";
        case Action::PlayPause: return "Sub PlayPause";
        case Action::Stop: return "Sub Stop";
        case Action::Next: return "Sub Next";
        case Action::Previous: return "Sub Previous";
    }
    return "Sub Action";
}

// QtDBus needs an application object. A host with a display gets the
// QApplication the program's windows need as well. A headless host gets a
// QCoreApplication that stays until the process ends, like the windows'
// one: the service and the host's later calls may need it at any time, and
// Qt's application object cannot safely be destroyed during static
// destruction. Qt sets the C library's locale from the environment when it
// makes one; the host did not ask for that, so its locale is put back.
bool haveApplication() {
    if (QCoreApplication::instance()) return true;
    if (common::displayAvailable(common::currentDisplayEnvironment())) return common::widgetsAvailable();
    static int argc = 1;
    static char name[] = "LUMOAudioPlayer";
    static char* argv[] = {name, nullptr};
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string hostLocale = current ? current : "C";
    new QCoreApplication(argc, argv);
    std::setlocale(LC_ALL, hostLocale.c_str());
    return true;
}

class Service final : public detail::PlayerLink {
public:
    Service() = default;
    ~Service() override;
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Connects, registers the object and takes a name; false with the
    // reason when one of them fails.
    bool open(const QString& address, std::string& problem);
    const QString& busName() const { return busName_; }

    const MprisState& refreshed() override {
        refresh();
        return state_;
    }
    QString act(Action action) override;
    SeekOutcome seekBy(qint64 offset) override {
        refresh();
        return seek("Sub Seek", state_.seekBy(offset));
    }
    SeekOutcome seekTo(const QDBusObjectPath& track, qint64 position) override {
        refresh();
        return seek("Sub SetPosition", state_.seekTo(track, position));
    }
    void setVolume(double fraction) override;
    void setShuffle(bool on) override;
    void setLoopStatus(const QString& status) override;
    // The host moved the item itself: clients hear where it is now.
    void announceSeek() {
        refresh();
        if (announcing_ && player_) Q_EMIT player_->Seeked(state_.position());
    }

private:
    void refresh();
    // Runs `call` on the host's player as a traced procedure; empty, or the
    // player's complaint (logged). The host's own error stays.
    QString run(TraceName procedure, const std::function<void(platform::MediaPlayer&)>& call);
    SeekOutcome seek(TraceName procedure, const SeekRequest& request);
    template <typename Change>
    void write(std::string_view location, Change change);

    QString busName_;
    std::optional<QDBusConnection> connection_;
    std::unique_ptr<MprisObject> object_;
    detail::PlayerAdaptor* player_ = nullptr;  // owned by object_
    QTimer sampler_;
    MprisState state_;
    bool announcing_ = false;
};

// Runs until stopDesktopService. Never destroyed at exit: QtDBus's own
// objects may be gone by then, and the system closes the connection.
Service* running = nullptr;

// One connection to a session bus serves every load of the process, and
// stays when the host unloads. Messages of one connection reach the bus in
// order, so a load right after an unload asks for the name after the bus
// has taken it back; a connection of its own could find the name still held
// by the one before it, whose closing the bus may not have seen yet.
std::optional<QDBusConnection> sessionBus(const QString& address, std::string& problem) {
    static QString connectedAddress, connectionName;
    static int made = 0;
    if (!connectionName.isEmpty()) {
        QDBusConnection existing(connectionName);
        if (connectedAddress == address && existing.isConnected()) return existing;
        QDBusConnection::disconnectFromBus(connectionName);
        connectionName.clear();
    }
    const QString name = QStringLiteral("lumo-media-keys-%1").arg(++made);
    QDBusConnection connection = QDBusConnection::connectToBus(address, name);
    if (!connection.isConnected()) {
        problem = "no session bus answers at " + address.toStdString() + " (" +
                  connection.lastError().message().toStdString() + ")";
        QDBusConnection::disconnectFromBus(name);
        return std::nullopt;
    }
    connectedAddress = address;
    connectionName = name;
    return connection;
}

bool Service::open(const QString& address, std::string& problem) {
    connection_ = sessionBus(address, problem);
    if (!connection_) return false;
    QDBusConnection& connection = *connection_;

    object_ = std::make_unique<MprisObject>();
    new detail::RootAdaptor(object_.get());
    player_ = new detail::PlayerAdaptor(object_.get(), *this);
    if (!connection.registerObject(QString::fromLatin1(kObjectPath), object_.get(), QDBusConnection::ExportAdaptors)) {
        problem = "the object " + std::string(kObjectPath) + " cannot be registered";
        return false;
    }
    refresh();  // the first reader finds the player as it is

    for (const QString& name : {QString::fromLatin1(kServiceName), instanceServiceName(::getpid())}) {
        if (connection.registerService(name)) {
            busName_ = name;
            break;
        }
    }
    if (busName_.isEmpty()) {
        problem = "neither " + std::string(kServiceName) + " nor " + instanceServiceName(::getpid()).toStdString() +
                  " can be had on the session bus (" + connection.lastError().message().toStdString() + ")";
        return false;
    }
    announcing_ = true;
    QObject::connect(&sampler_, &QTimer::timeout, &sampler_, [this] { refresh(); });
    sampler_.start(kSampleInterval);
    // A host may destroy its application object while the player is still
    // loaded: the service goes with it, since nothing would serve it.
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, object_.get(), [] { stopDesktopService(); });
    return true;
}

// The name goes back with a call whose answer nobody waits for.
Service::~Service() {
    sampler_.stop();
    if (!connection_) return;
    connection_->unregisterObject(QString::fromLatin1(kObjectPath));
    if (!busName_.isEmpty()) {
        QDBusMessage release = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReleaseName"));
        release << busName_;
        connection_->send(release);
    }
}

void Service::refresh() {
    platform::MediaPlayer* player = hostPlayer();
    if (!player) return;
    const QVariantMap changed = state_.update(readSnapshot(*player));
    if (changed.isEmpty() || !announcing_ || !connection_) return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    connection_->send(signal);
}

QString Service::run(TraceName procedure, const std::function<void(platform::MediaPlayer&)>& call) {
    KeepHostError keep;
    Procedure proc(kModule, procedure, PassOver{});
    platform::MediaPlayer* player = hostPlayer();
    if (!player || proc.step([&] { call(*player); })) return {};
    const std::string location = "MprisService." + std::string(procedure.view().substr(4));
    common::LogError(location, failsafe::Err().line, failsafe::Err().number, failsafe::Err().description);
    return QString::fromStdString(failsafe::Err().description);
}

QString Service::act(Action action) {
    const QString failure = run(procedureOf(action), [action](platform::MediaPlayer& player) { perform(action, player); });
    refresh();
    return failure;
}

detail::PlayerLink::SeekOutcome Service::seek(TraceName procedure, const SeekRequest& request) {
    if (request.kind == SeekRequest::Kind::Nothing) return {};
    bool moved = false;
    SeekOutcome seeked{run(procedure, [&](platform::MediaPlayer& player) { moved = perform(request, player); }), std::nullopt};
    refresh();
    if (moved) seeked.position = state_.position();
    return seeked;
}

template <typename Change>
void Service::write(std::string_view location, Change change) {
    {
        KeepHostError keep;
        Procedure proc(NoTrace{}, LogAndClear{location});
        if (platform::MediaPlayer* player = hostPlayer()) proc.step([&] { change(player->settings()); });
    }
    refresh();
}

void Service::setVolume(double fraction) {
    const std::optional<int32_t> volume = playerVolumeOf(fraction);
    if (!volume) return;
    write("MprisService.Volume (Let)", [&](platform::PlayerSettings& settings) { settings.setVolume(*volume); });
}

void Service::setShuffle(bool on) {
    write("MprisService.Shuffle (Let)", [&](platform::PlayerSettings& settings) { settings.setMode("shuffle", on); });
}

void Service::setLoopStatus(const QString& status) {
    const std::optional<bool> loop = loopModeOf(status);
    if (!loop) return;
    write("MprisService.LoopStatus (Let)", [&](platform::PlayerSettings& settings) { settings.setMode("loop", *loop); });
}

}  // namespace

void startDesktopService() {
    if (running) return;
    KeepHostError keep;
    Procedure proc(NoTrace{}, PassOver{});
    std::optional<std::string> setting;
    proc.step([&] { setting = platform::readSetting("LUMO Player", "Desktop", "MediaKeys"); });
    if (!mediaKeysEnabled(setting)) return;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) return;
    if (!haveApplication()) return;

    auto service = std::make_unique<Service>();
    std::string problem;
    if (!service->open(QString::fromLocal8Bit(address), problem)) {
        service.reset();
        common::LogError(kLogLocation, 0, 0, "No media keys: " + problem);
        return;
    }
    running = service.release();
}

void stopDesktopService() {
    Service* service = running;
    running = nullptr;
    delete service;
}

QString desktopServiceName() { return running ? running->busName() : QString(); }

void announceHostSeek() {
    if (running) running->announceSeek();
}

}  // namespace lumo::media_keys
