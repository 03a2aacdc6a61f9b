// The controls, the settings and the error queue of the player.

#include <gst/gst.h>

#include <algorithm>
#include <array>
#include <strings.h>

#include "failsafe/runtime_error.h"
#include "platform/gst/engine_events.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/pipeline.h"

namespace lumo::platform::gst {

namespace {

enum class Mode { Shuffle, Loop, AutoRewind };
constexpr std::array<const char*, 3> kModeNames = {"shuffle", "loop", "autoRewind"};

Mode modeOf(std::string_view name) {
    for (size_t i = 0; i < kModeNames.size(); ++i) {
        const std::string_view known = kModeNames[i];
        if (name.size() == known.size() && strncasecmp(name.data(), known.data(), known.size()) == 0)
            return static_cast<Mode>(i);
    }
    throw failsafe::RuntimeError(failsafe::error::InvalidProcedureCall,
                                 "Unknown mode '" + std::string(name) + "': the modes are shuffle, loop and autoRewind");
}

}  // namespace

void GstMediaPlayer::changeState(int gstState) {
    const auto state = static_cast<GstState>(gstState);
    post([events = events_, epoch = epoch_, state](Pipeline& pipeline) {
        events->push(EngineEvent::done(epoch, pipeline.setState(state)));
    });
}

void GstMediaPlayer::play() {
    requirePipeline();
    catchUp();
    if (currentIndex_ < 0 || target_ == Target::Playing) return;
    if (target_ == Target::Stopped) {
        open(currentIndex_, Target::Playing);
    } else {
        target_ = Target::Playing;
        changeState(GST_STATE_PLAYING);
    }
    processEvents();
}

void GstMediaPlayer::pause() {
    requirePipeline();
    catchUp();
    if (target_ != Target::Playing) return;
    target_ = Target::Paused;
    buffering_ = false;
    changeState(GST_STATE_PAUSED);
    processEvents();
}

void GstMediaPlayer::stop() {
    requirePipeline();
    catchUp();
    if (currentIndex_ < 0) return;
    learn();
    stopPipeline();
    target_ = Target::Stopped;
    buffering_ = false;
    transition(PlayState::Stopped);
}

void GstMediaPlayer::next() {
    requirePipeline();
    catchUp();
    PlayOrder moved = order_;
    if (!moved.advance(loop_)) return;
    order_ = std::move(moved);
    open(order_.current(), target_);
    processEvents();
}

void GstMediaPlayer::previous() {
    requirePipeline();
    catchUp();
    PlayOrder moved = order_;
    if (moved.back()) {
        order_ = std::move(moved);
        open(order_.current(), target_);
    } else if (currentIndex_ >= 0 && target_ != Target::Stopped) {
        // The first item starts again: opened anew rather than sought, as a
        // seek would not take back the next item playbin may have taken.
        open(currentIndex_, target_);
    }
    processEvents();
}

bool GstMediaPlayer::autoStart() {
    catchUp();
    return autoStart_;
}

void GstMediaPlayer::setAutoStart(bool on) {
    catchUp();
    autoStart_ = on;
}

bool GstMediaPlayer::mute() {
    catchUp();
    return mute_;
}

void GstMediaPlayer::setMute(bool on) {
    catchUp();
    mute_ = on;
    post([on](Pipeline& pipeline) { pipeline.setMute(on); }, false, false);
}

int32_t GstMediaPlayer::volume() {
    catchUp();
    return volume_;
}

void GstMediaPlayer::setVolume(int32_t volume) {
    catchUp();
    volume_ = std::clamp(volume, 0, 100);
    // Cubic, as players do: half the setting is an eighth of the amplitude.
    post([cubic = volume_ / 100.0](Pipeline& pipeline) { pipeline.setVolume(cubic); }, false, false);
}

int32_t GstMediaPlayer::balance() {
    catchUp();
    return balance_;
}

void GstMediaPlayer::setBalance(int32_t balance) {
    catchUp();
    balance_ = std::clamp(balance, -100, 100);
    post([pan = balance_ / 100.0](Pipeline& pipeline) { pipeline.setBalance(pan); }, false, false);
}

bool GstMediaPlayer::getMode(std::string_view mode) {
    const Mode which = modeOf(mode);
    catchUp();
    return which == Mode::Shuffle ? shuffle_ : which == Mode::Loop ? loop_ : autoRewind_;
}

void GstMediaPlayer::setMode(std::string_view mode, bool on) {
    const Mode which = modeOf(mode);
    catchUp();
    switch (which) {
        case Mode::Shuffle:
            shuffle_ = on;
            order_.setShuffle(on);
            break;
        case Mode::Loop:
            loop_ = on;
            break;
        case Mode::AutoRewind:
            autoRewind_ = on;
            break;
    }
    // The item that follows may be another one now.
    if (which != Mode::AutoRewind) nextOffered_ = false;
    if (modeChanged_) modeChanged_(kModeNames[static_cast<size_t>(which)], on);
    processEvents();
}

bool GstMediaPlayer::enableErrorDialogs() {
    catchUp();
    return errorDialogs_;
}

void GstMediaPlayer::setEnableErrorDialogs(bool on) {
    catchUp();
    errorDialogs_ = on;
}

int32_t GstMediaPlayer::errorCount() {
    catchUp();
    return static_cast<int32_t>(errors_.size());
}

ErrorItem GstMediaPlayer::item(int32_t index) {
    catchUp();
    if (index < 0 || index >= static_cast<int32_t>(errors_.size()))
        throw failsafe::RuntimeError(failsafe::error::SubscriptOutOfRange,
                                     "No error item " + std::to_string(index) + " in a queue of " +
                                         std::to_string(errors_.size()));
    return errors_[static_cast<size_t>(index)];
}

void GstMediaPlayer::clearErrorQueue() {
    catchUp();
    errors_.clear();
    openedOnAssignment_ = false;  // the host saw the failure: assigning the item again tries again
}

}  // namespace lumo::platform::gst
