#include "report/check_playlist.h"

#include "common/formatting.h"
#include "failsafe/procedure.h"

namespace lumo::report {

using failsafe::Procedure;

namespace {

int64_t steadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

frmCheckPL::frmCheckPL() : clock_(steadySeconds) {}

void frmCheckPL::setClock(Clock clock) { clock_ = clock ? std::move(clock) : Clock(steadySeconds); }

void frmCheckPL::Form_Load(const layout::PlatformMetrics& metrics) {
    Procedure proc("frmCheckPL", "Sub LoadToolBar");
    metrics_ = metrics;
    proc.step([&] {
        controls_ = layout::Controls{};
        layout::LoadToolBar(controls_, metrics_);
    });
}

void frmCheckPL::Form_Resize(const layout::ClientArea& client) {
    Procedure proc("frmCheckPL", "Sub ResizeControls");
    proc.step([&] { layout::ResizeControls(controls_, client, metrics_); });
}

bool frmCheckPL::cmdDone_Click() {
    Procedure proc("frmCheckPL", "Sub cmdDone_Click");
    if (doneCaption_ == "Stop") {
        stopRequested_ = true;
        return false;
    }
    return true;
}

void frmCheckPL::SelectLastItem() {
    Procedure proc("frmCheckPL", "Sub SelectLastItem");
    if (!rows_.empty()) selectedRow_ = static_cast<int32_t>(rows_.size()) - 1;
}

void frmCheckPL::DoReport(const Selection& selection) {
    Procedure proc("frmCheckPL", "Sub DoReport");
    // An activation while a run goes on (its own message box closing) starts
    // nothing: the run in progress owns the window.
    if (running_) return;
    switch (selection.tab) {
        case 0: proc.step([&] { DoNormalPLReport(selection.standard); }); break;
        case 1: proc.step([&] { DoNormalPLReport(selection.autoPl); }); break;
        case 2: proc.step([&] { DoCDROMPLReport(selection.cdDrive); }); break;
        default: break;
    }
}

void frmCheckPL::startRun(std::string caption) {
    running_ = true;
    doneCaption_ = "Stop";
    stopRequested_ = false;
    errorFlag_ = false;
    audioCount_ = 0;
    totalDuration_ = 0;
    rows_.clear();
    rows_.shrink_to_fit();
    selectedRow_ = -1;
    ++rowsGeneration_;
    panels_ = {"", "", ""};
    caption_ = std::move(caption);
    refresh(true);
}

void frmCheckPL::finalStep() {
    doneCaption_ = "Done";
    panels_[0] = errorFlag_ ? "Status = Error" : "Status = Done";
    panels_[1] = "No. Of Audio Items = " + std::to_string(audioCount_);
    panels_[2] = "Total Audio Duration = " + common::FormatPosition(totalDuration_);
    running_ = false;
    refresh(true);
}

frmCheckPL& CheckPL() {
    static frmCheckPL check;
    return check;
}

}  // namespace lumo::report
