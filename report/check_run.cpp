// The report run: the playlist, the player prepared, then every item opened,
// played and stopped, each wait bounded by the time-out.
#include <charconv>
#include <optional>

#include "common/message_boxes.h"
#include "failsafe/framework.h"
#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"
#include "failsafe/user_interface.h"
#include "player/audio_player_host.h"
#include "report/check_playlist.h"
#include "report/failure_texts.h"

namespace lumo::report {

using failsafe::Procedure;
using platform::MediaPtr;
using platform::PlaylistPtr;
using platform::PlayState;

namespace {

// The player hands durations over in seconds with a point, whatever the
// user's locale.
double durationSeconds(const std::string& text) {
    double seconds = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (failure != std::errc() || end != text.data() + text.size() || text.empty())
        failsafe::raiseError(failsafe::error::TypeMismatch);
    return seconds;
}

}  // namespace

class frmCheckPL::Run {
public:
    Run(frmCheckPL& window, Kind kind, std::string playlistName)
        : w_(window), kind_(kind), playlistName_(std::move(playlistName)) {}

    // The statements of a run report their own failures; the procedure
    // around them handles only the start and the final step.
    template <typename Statement>
    bool attempt(StepGroup group, Statement&& statement) {
        if (body_.step(std::forward<Statement>(statement))) return true;
        fail(stepFailureText(group, context()));
        return false;
    }

    void check(const PlaylistPtr& playlist) {
        platform::MediaPlayer* player = nullptr;
        int32_t count = 0;
        if (!attempt(StepGroup::Playlist, [&] {
                player = &player::AudioPlayer().WMPlayer();
                player->setCurrentPlaylist(playlist);
                w_.pbValue_ = 0;
                count = playlist->count();
            }))
            return;
        player_ = player;
        if (count < 1) {
            const std::string text = kind_ == Kind::Cdrom ? std::string("CDROM Playlist appears to be empty!")
                                                          : "Playlist " + playlistName_ + " appears to be empty!";
            body_.step([&] { common::SubMsgBox(text, failsafe::box::Critical, title); });
            return;
        }
        if (!attempt(StepGroup::Playlist, [&] {
                w_.pbMax_ = count;
                player_->settings().setMute(true);
            }))
            return;
        if (!attempt(StepGroup::LoopCount, [&] { count = player_->currentPlaylist()->count(); })) return;
        for (index_ = 0; index_ < count; ++index_) {
            if (!checkItem(playlist)) return;
            if (w_.stopRequested_) return;
        }
    }

    void fail(const std::string& text) {
        w_.errorFlag_ = true;
        w_.SelectLastItem();
        w_.refresh(true);
        common::SubMsgBox(text, failsafe::box::Critical, title);
        failsafe::Err().clear();
    }

private:
    bool checkItem(const PlaylistPtr& playlist) {
        if (!attempt(StepGroup::ItemGet, [&] { player_->setCurrentMedia(playlist->item(index_)); })) return false;
        if (!attempt(StepGroup::ItemName, [&] { w_.rows_.push_back({current()->name(), {}, {}}); })) return false;
        if (!attempt(StepGroup::ItemUrl, [&] { w_.rows_.back().sourceUrl = current()->getItemInfo("SourceURL"); }))
            return false;
        if (!waitFor(PlayState::Ready)) return false;
        if (!attempt(StepGroup::ItemUrl, [&] { player_->controls().play(); })) return false;
        if (!waitFor(PlayState::Playing)) return false;
        if (!attempt(StepGroup::ItemUrl, [&] { player_->controls().stop(); })) return false;
        if (!waitFor(PlayState::Stopped)) return false;
        bool audio = false;
        if (!attempt(StepGroup::ItemType, [&] {
                w_.rows_.back().type = current()->getItemInfo("MediaType");
                audio = w_.rows_.back().type == "audio";
            }))
            return false;
        if (audio && !attempt(StepGroup::ItemDuration, [&] {
                ++w_.audioCount_;
                w_.totalDuration_ += durationSeconds(current()->getItemInfo("Duration"));
            }))
            return false;
        return attempt(audio ? StepGroup::ItemDuration : StepGroup::ItemType, [&] { w_.pbValue_ = index_ + 1; });
    }

    // Pending events first, then the player's errors, the time-out and the
    // state, on every pass; all of them at least once.
    bool waitFor(PlayState target) {
        enum class Outcome { Reached, PlayerError, TimedOut } outcome = Outcome::Reached;
        platform::ErrorItem error;
        const bool ran = attempt(StepGroup::ItemUrl, [&] {
            const int64_t start = w_.clock_();
            for (;;) {
                w_.refresh(false);
                failsafe::framework().ui().processPendingEvents();
                if (player_->error().errorCount() >= 1) {
                    error = player_->error().item(0);
                    outcome = Outcome::PlayerError;
                    return;
                }
                if (w_.clock_() - start >= timeOut.count()) {
                    outcome = Outcome::TimedOut;
                    return;
                }
                if (player_->playState() == target) return;
                // Woken by the player's news; the window's events run at
                // least every few milliseconds meanwhile.
                player_->waitForNews(std::chrono::milliseconds(5));
            }
        });
        if (!ran) return false;
        if (outcome == Outcome::PlayerError) {
            fail(playerErrorText(context(), &error));
            body_.step([&] { player_->error().clearErrorQueue(); });
            return false;
        }
        if (outcome == Outcome::TimedOut) {
            fail(timeOutText(context()));
            return false;
        }
        return true;
    }

    MediaPtr current() const {
        MediaPtr media = player_->currentMedia();
        if (!media) failsafe::raiseError(failsafe::error::ObjectNotSet);
        return media;
    }

    FailureContext context() {
        FailureContext c{kind_ == Kind::Cdrom, playlistName_, index_ + 1, std::nullopt};
        if (player_) {
            Procedure quiet(failsafe::NoTrace{}, failsafe::PassOver{});
            quiet.step([&] {
                if (const MediaPtr media = player_->currentMedia()) c.mediaName = media->name();
            });
        }
        return c;
    }

    frmCheckPL& w_;
    Kind kind_;
    std::string playlistName_;
    platform::MediaPlayer* player_ = nullptr;
    int32_t index_ = 0;
    Procedure body_{failsafe::NoTrace{}, failsafe::PassOver{}};
};

void frmCheckPL::DoNormalPLReport(const std::string& playlistName) {
    Procedure proc("frmCheckPL", "Sub DoNormalPLReport");
    if (!proc.step([&] { startRun("Check Playlist - " + playlistName); })) {
        running_ = false;
        return;
    }
    {
        Run run(*this, Kind::Normal, playlistName);
        PlaylistPtr playlist;
        if (run.attempt(StepGroup::Playlist, [&] {
                playlist = player::AudioPlayer().WMPlayer().playlistCollection().getByName(playlistName)->item(0);
            }))
            run.check(playlist);
    }
    proc.step([&] { finalStep(); });
    running_ = false;
}

void frmCheckPL::DoCDROMPLReport(const std::string& drive) {
    Procedure proc("frmCheckPL", "Sub DoCDROMPLReport");
    if (!proc.step([&] { startRun("Check Playlist - CDROM " + drive); })) {
        running_ = false;
        return;
    }
    platform::CdromPtr cdrom;
    bool found = false;
    proc.step([&] {
        int32_t nPLError = 0;
        found = player::AudioPlayer().WMPDriveExistsX(drive, cdrom, nPLError);
    });
    if (!found && !proc.leaving()) {
        proc.step([&] {
            common::SubMsgBox("Cannot find selected CDROM Drive '" + drive + "'.", failsafe::box::Critical, title);
        });
    } else if (found) {
        Run run(*this, Kind::Cdrom, {});
        PlaylistPtr playlist;
        if (run.attempt(StepGroup::Playlist, [&] { playlist = cdrom->playlist(); })) run.check(playlist);
    }
    proc.step([&] { finalStep(); });
    running_ = false;
}

}  // namespace lumo::report
