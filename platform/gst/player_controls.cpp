// The controls, the settings and the error queue of the player.

#include <gst/gst.h>

#include <algorithm>
#include <array>
#include <strings.h>

#include "failsafe/runtime_error.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/pipeline.h"
#include "platform/gst/schedule.h"

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

void GstMediaPlayer::play() {
    requirePipeline();
    pump();
    if (current_ < 0 || target_ == Target::Playing) return;
    if (target_ == Target::Stopped) {
        open(current_, Target::Playing);
    } else {
        target_ = Target::Playing;
        startFailed_ = pipeline_->setState(GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE;
    }
    pump();
}

void GstMediaPlayer::pause() {
    requirePipeline();
    pump();
    if (target_ != Target::Playing) return;
    target_ = Target::Paused;
    buffering_ = false;
    startFailed_ = pipeline_->setState(GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE;
    pump();
}

void GstMediaPlayer::stop() {
    requirePipeline();
    pump();
    if (current_ < 0) return;
    learn();
    interrupt();
    target_ = Target::Stopped;
    state_ = PlayState::Stopped;
}

void GstMediaPlayer::next() {
    requirePipeline();
    pump();
    if (const int item = schedule_->next(); item >= 0) open(item, target_);
    pump();
}

void GstMediaPlayer::previous() {
    requirePipeline();
    pump();
    // At the first item it starts again: opened anew rather than sought, as
    // a seek would not take back the next item already queued.
    const int item = schedule_->previous();
    if (item >= 0 || (current_ >= 0 && target_ != Target::Stopped)) open(item >= 0 ? item : current_, target_);
    pump();
}

bool GstMediaPlayer::autoStart() {
    pump();
    return autoStart_;
}

void GstMediaPlayer::setAutoStart(bool on) {
    pump();
    autoStart_ = on;
}

bool GstMediaPlayer::mute() {
    pump();
    return mute_;
}

void GstMediaPlayer::setMute(bool on) {
    pump();
    mute_ = on;
    if (pipeline_) pipeline_->setMute(on);
}

int32_t GstMediaPlayer::volume() {
    pump();
    return volume_;
}

void GstMediaPlayer::setVolume(int32_t volume) {
    pump();
    volume_ = std::clamp(volume, 0, 100);
    // Cubic, as players do: half the setting is an eighth of the amplitude.
    if (pipeline_) pipeline_->setVolume(volume_ / 100.0);
}

int32_t GstMediaPlayer::balance() {
    pump();
    return balance_;
}

void GstMediaPlayer::setBalance(int32_t balance) {
    pump();
    balance_ = std::clamp(balance, -100, 100);
    if (pipeline_) pipeline_->setBalance(balance_ / 100.0);
}

bool GstMediaPlayer::getMode(std::string_view mode) {
    const Mode which = modeOf(mode);
    pump();
    return which == Mode::Shuffle ? shuffle_ : which == Mode::Loop ? loop_ : autoRewind_;
}

void GstMediaPlayer::setMode(std::string_view mode, bool on) {
    const Mode which = modeOf(mode);
    pump();
    switch (which) {
        case Mode::Shuffle:
            shuffle_ = on;
            schedule_->setShuffle(on);
            break;
        case Mode::Loop:
            loop_ = on;
            schedule_->setLoop(on);
            break;
        case Mode::AutoRewind:
            autoRewind_ = on;
            break;
    }
    if (modeChanged_) modeChanged_(kModeNames[static_cast<size_t>(which)], on);
}

bool GstMediaPlayer::enableErrorDialogs() {
    pump();
    return errorDialogs_;
}

void GstMediaPlayer::setEnableErrorDialogs(bool on) {
    pump();
    errorDialogs_ = on;
}

int32_t GstMediaPlayer::errorCount() {
    pump();
    return static_cast<int32_t>(errors_.size());
}

ErrorItem GstMediaPlayer::item(int32_t index) {
    pump();
    if (index < 0 || index >= static_cast<int32_t>(errors_.size()))
        throw failsafe::RuntimeError(failsafe::error::SubscriptOutOfRange,
                                     "No error item " + std::to_string(index) + " in a queue of " +
                                         std::to_string(errors_.size()));
    return errors_[static_cast<size_t>(index)];
}

void GstMediaPlayer::clearErrorQueue() {
    pump();
    errors_.clear();
}

}  // namespace lumo::platform::gst
