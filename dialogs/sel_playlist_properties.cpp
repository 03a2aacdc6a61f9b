// The selection dialog's result properties: plain stored values, each read
// and assignment traced like every procedure of the dialog.
#include "dialogs/sel_playlist.h"
#include "failsafe/procedure.h"

namespace lumo::dialogs {

using failsafe::Procedure;

std::string frmSelPlaylist::SelectedPlaylist() {
    Procedure proc("frmSelPlaylist", "Property (Get) SelectedPlaylist");
    std::string value;
    proc.step([&] { value = selectedPlaylist_; });
    return value;
}

void frmSelPlaylist::setSelectedPlaylist(std::string value) {
    Procedure proc("frmSelPlaylist", "Property (Let) SelectedPlaylist");
    proc.step([&] { selectedPlaylist_ = std::move(value); });
}

int32_t frmSelPlaylist::PlayListType() {
    Procedure proc("frmSelPlaylist", "Property (Get) PlayListType");
    int32_t value = 0;
    proc.step([&] { value = playListType_; });
    return value;
}

void frmSelPlaylist::setPlayListType(int32_t value) {
    Procedure proc("frmSelPlaylist", "Property (Let) PlayListType");
    proc.step([&] { playListType_ = value; });
}

std::string frmSelPlaylist::DriveLetter() {
    Procedure proc("frmSelPlaylist", "Property (Get) DriveLetter");
    std::string value;
    proc.step([&] { value = driveLetter_; });
    return value;
}

void frmSelPlaylist::setDriveLetter(std::string value) {
    Procedure proc("frmSelPlaylist", "Property (Let) DriveLetter");
    proc.step([&] { driveLetter_ = std::move(value); });
}

std::string frmSelPlaylist::SerialNumber() {
    Procedure proc("frmSelPlaylist", "Property (Get) SerialNumber");
    std::string value;
    proc.step([&] { value = serialNumber_; });
    return value;
}

void frmSelPlaylist::setSerialNumber(std::string value) {
    Procedure proc("frmSelPlaylist", "Property (Let) SerialNumber");
    proc.step([&] { serialNumber_ = std::move(value); });
}

std::string frmSelPlaylist::VolumeName() {
    Procedure proc("frmSelPlaylist", "Property (Get) VolumeName");
    std::string value;
    proc.step([&] { value = volumeName_; });
    return value;
}

void frmSelPlaylist::setVolumeName(std::string value) {
    Procedure proc("frmSelPlaylist", "Property (Let) VolumeName");
    proc.step([&] { volumeName_ = std::move(value); });
}

int32_t frmSelPlaylist::HowToIDDisk() {
    Procedure proc("frmSelPlaylist", "Property (Get) HowToIDDisk");
    int32_t value = 0;
    proc.step([&] { value = howToIDDisk_; });
    return value;
}

void frmSelPlaylist::setHowToIDDisk(int32_t value) {
    Procedure proc("frmSelPlaylist", "Property (Let) HowToIDDisk");
    proc.step([&] { howToIDDisk_ = value; });
}

int32_t frmSelPlaylist::ShuffleMode() {
    Procedure proc("frmSelPlaylist", "Property (Get) ShuffleMode");
    int32_t value = 0;
    proc.step([&] { value = shuffleMode_; });
    return value;
}

void frmSelPlaylist::setShuffleMode(int32_t value) {
    Procedure proc("frmSelPlaylist", "Property (Let) ShuffleMode");
    proc.step([&] { shuffleMode_ = value; });
}

VBool frmSelPlaylist::Cancelled() {
    Procedure proc("frmSelPlaylist", "Property (Get) Cancelled");
    VBool value = 0;
    proc.step([&] { value = cancelled_; });
    return value;
}

void frmSelPlaylist::setCancelled(VBool value) {
    Procedure proc("frmSelPlaylist", "Property (Let) Cancelled");
    proc.step([&] { cancelled_ = value; });
}

}  // namespace lumo::dialogs
