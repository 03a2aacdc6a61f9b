// _cLUMOAudioEx's operations: the current item's position, length and
// fields read from the player host's player (errors logged and cleared, no
// trace entry: hosts read them many times a second), seeking (trapped), and
// running the host's event loop for hosts that have none.

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include "automation/lumo_audio_object.h"
#include "common/codes.h"
#include "failsafe/procedure.h"
#include "platform/gst/host_wakeup.h"
#include "player/audio_player_host.h"
#include "media_keys/mpris_service.h"

namespace lumo::automation {
namespace {

using failsafe::LogAndClear;
using failsafe::NoTrace;
using failsafe::Procedure;

platform::MediaPlayer& WMPlayer() { return player::AudioPlayer().WMPlayer(); }

// Reads one value under the extension's reading style.
template <typename Value, typename Read>
HRESULT readInto(Value* result, std::string_view location, Read&& read, Value fallback = {}) {
    Procedure proc(NoTrace{}, LogAndClear{location});
    Value value = fallback;
    proc.step([&] { value = read(); });
    if (result) *result = std::move(value);
    return hr::S_OK;
}

std::string currentItemInfo(std::string_view attribute) {
    const platform::MediaPtr media = WMPlayer().currentMedia();
    return media ? media->getItemInfo(attribute) : std::string();
}

}  // namespace

HRESULT cLUMOAudio::get_Position(double* result) {
    return readInto(result, "cLUMOAudio.Position (Get)", [] { return WMPlayer().position(); });
}

HRESULT cLUMOAudio::put_Position(double value) {
    Procedure proc("cLUMOAudio", "Property (Let) Position");
    // Not a number moves nothing; the player bounds the rest to the item.
    if (value != value) return hr::S_OK;
    bool moved = false;
    proc.step([&] { moved = WMPlayer().seek(value); });
    if (moved) proc.step([] { media_keys::announceHostSeek(); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_Duration(double* result) {
    return readInto(result, "cLUMOAudio.Duration (Get)", [] { return WMPlayer().duration().value_or(0.0); });
}

HRESULT cLUMOAudio::get_CanSeek(int16_t* result) {
    return readInto(result, "cLUMOAudio.CanSeek (Get)", [] { return toVBool(WMPlayer().canSeek()); });
}

HRESULT cLUMOAudio::get_CurrentIndex(int32_t* result) {
    return readInto(result, "cLUMOAudio.CurrentIndex (Get)", [] { return WMPlayer().currentIndex(); }, -1);
}

HRESULT cLUMOAudio::get_CurrentTitle(std::string* result) {
    return readInto(result, "cLUMOAudio.CurrentTitle (Get)", [] {
        const platform::MediaPtr media = WMPlayer().currentMedia();
        return media ? media->name() : std::string();
    });
}

HRESULT cLUMOAudio::get_CurrentArtist(std::string* result) {
    return readInto(result, "cLUMOAudio.CurrentArtist (Get)", [] { return currentItemInfo("Author"); });
}

HRESULT cLUMOAudio::get_CurrentAlbum(std::string* result) {
    return readInto(result, "cLUMOAudio.CurrentAlbum (Get)", [] { return currentItemInfo("WM/AlbumTitle"); });
}

HRESULT cLUMOAudio::get_CurrentSourceURL(std::string* result) {
    return readInto(result, "cLUMOAudio.CurrentSourceURL (Get)", [] { return currentItemInfo("SourceURL"); });
}

HRESULT cLUMOAudio::GetCurrentItemInfo(std::string* sAttribute, std::string* result) {
    const std::string attribute = sAttribute ? *sAttribute : std::string();
    return readInto(result, "cLUMOAudio.GetCurrentItemInfo", [&] { return currentItemInfo(attribute); });
}

HRESULT cLUMOAudio::DoEvents(int32_t nMilliseconds) {
    Procedure proc(NoTrace{}, LogAndClear{"cLUMOAudio.DoEvents"});
    const std::chrono::milliseconds span(std::clamp(nMilliseconds, 0, 60000));
    // The player exists, so that its wake-ups are on this thread's loop.
    proc.step([] { WMPlayer(); });
    proc.step([&] {
        QCoreApplication* application = QCoreApplication::instance();
        if (application && application->thread() == QThread::currentThread()) {
            QEventLoop loop;
            QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
        } else {
            platform::gst::runEventLoopFor(span);
        }
    });
    return hr::S_OK;
}

}  // namespace lumo::automation
