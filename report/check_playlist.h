#pragma once
// frmCheckPL: the playlist check. A run opens every item of a standard, auto
// or CD playlist in the process's player, plays it for a moment, lists its
// name, type and source, counts the audio items and totals their playing
// time, and stops at the first item that fails with one message box saying
// why. This class holds the window's state and the run; a thin window
// (dialogs/check_playlist_dialog.h) shows it, and a program without a
// display can print it.
//
// The run drives the one player of the process: it makes the checked
// playlist current and mutes the player, and leaves both so. It runs on the
// caller's thread and lets pending events run on every pass of its waits, so
// the window stays responsive and its Stop button is seen between items.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "report/check_layout.h"

namespace lumo::failsafe {
class Procedure;
}

namespace lumo::platform {
class Playlist;
struct ErrorItem;
}  // namespace lumo::platform

namespace lumo::report {

// What the check reads of the selection dialog at the start of each run.
struct Selection {
    int32_t tab = -1;             // 0 standard, 1 auto, 2 CD ROMS
    std::string standard, autoPl;  // the texts of the selected rows
    std::string cdDrive;          // the selected drive row's first column ("D:")
};

struct ReportRow {
    std::string mediaItem, type, sourceUrl;
};

class frmCheckPL {
public:
    static constexpr std::string_view title = "Check Playlist";
    static constexpr std::chrono::seconds timeOut{10};

    frmCheckPL();

    // Whole seconds of a clock; the time-out counts them. Steady by default.
    using Clock = std::function<int64_t()>;
    void setClock(Clock clock);
    // Called when the window should show the run's state: `now` before a
    // message box and at the end of a run, otherwise a view may wait and
    // show several rows at once.
    void setRefresh(std::function<void(bool now)> refresh) { refresh_ = std::move(refresh); }

    // The window.
    void Form_Load(const layout::PlatformMetrics& metrics);
    void Form_Resize(const layout::ClientArea& client);
    // True when the window closes now; a click while a run goes on is Stop.
    bool cmdDone_Click();
    void SelectLastItem();

    // The runs.
    void DoReport(const Selection& selection);
    void DoNormalPLReport(const std::string& playlistName);
    void DoCDROMPLReport(const std::string& drive);

    bool StopRequested() const { return stopRequested_; }
    void setStopRequested(bool stop) { stopRequested_ = stop; }
    bool running() const { return running_; }

    // What the window shows.
    const std::string& caption() const { return caption_; }
    const std::string& doneCaption() const { return doneCaption_; }
    const std::vector<ReportRow>& rows() const { return rows_; }
    int32_t selectedRow() const { return selectedRow_; }
    // Counts clears of the rows, so that a view starts over only then.
    int32_t rowsGeneration() const { return rowsGeneration_; }
    int32_t pbMax() const { return pbMax_; }
    int32_t pbValue() const { return pbValue_; }
    const std::array<std::string, 3>& panels() const { return panels_; }
    const layout::Controls& controls() const { return controls_; }
    int32_t audioCount() const { return audioCount_; }
    double totalDuration() const { return totalDuration_; }

private:
    enum class Kind { Normal, Cdrom };
    enum class Wait { Reached, PlayerError, TimedOut };
    class Run;
    friend class Run;

    void startRun(std::string caption);
    void finalStep();
    void refresh(bool now) {
        if (refresh_) refresh_(now);
    }

    Clock clock_;
    std::function<void(bool)> refresh_;
    layout::PlatformMetrics metrics_;
    layout::Controls controls_;

    std::string caption_ = std::string(title);
    std::string doneCaption_ = "Done";
    std::vector<ReportRow> rows_;
    int32_t selectedRow_ = -1;
    int32_t rowsGeneration_ = 0;
    int32_t pbMax_ = 100, pbValue_ = 0;
    std::array<std::string, 3> panels_{"Status", "No. Of Audio Items", "Total Audio Duration"};
    bool stopRequested_ = false, running_ = false, errorFlag_ = false;
    int32_t audioCount_ = 0;
    double totalDuration_ = 0;
};

// The check of the process; its list and panels stay until the next run.
frmCheckPL& CheckPL();

}  // namespace lumo::report
