// The player's CD drives joined with the drive information service's: discs
// found by volume name and serial number, and drives only one side knows.
#include "player_fixture.h"

namespace lumo::player::testing {
namespace {

CdromPtr playerDrive(int32_t index) { return AudioPlayer().WMPlayer().cdromCollection().item(index); }

TEST_F(PlayerHostTest, DiscsAreFoundByExactVolumeNameAndNumericSerialInDrivesBothSidesKnow) {
    frmAudioPlayer& window = fourDrives();
    const int32_t serialF = serialOf("F"), serialE = serialOf("E");
    ASSERT_LT(serialF, 0);
    const struct {
        std::string volume, serial, found;  // by the serial when one is given; found "" for none
    } cases[] = {
        {"Audio CD", "", "D:"},  // two discs of that name: the first drive
        {"BACKUP", "", "F:"}, {"backup", "", ""}, {"", "", ""},  // the empty drive G has no name to match
        {"", std::to_string(serialF), "F:"}, {"", "-0" + std::to_string(-serialF), "F:"},
        {"", "0" + std::to_string(serialE), "E:"}, {"", std::to_string(serialE + 1), ""},
    };
    for (const auto& c : cases) {
        selection.sVolumeName = c.volume;
        selection.sSerNum = c.serial;
        const bool bySerial = !c.serial.empty();
        std::string drive;
        EXPECT_EQ(bySerial ? window.CDSerNumExistsAnyDrive(drive) : window.VolumeNameExistsAnyDrive(drive), !c.found.empty());
        CdromPtr cdrom;
        int32_t flags = 0;
        const bool got = bySerial ? window.GetWMPCDROMByCDSerialNumber(cdrom, flags) : window.GetWMPCDROMByVolumeName(cdrom, flags);
        EXPECT_EQ(drive + "|" + (got ? cdrom->driveSpecifier() : "") + "|" + std::to_string(flags),
                  c.found + "|" + c.found + "|" + (got ? "0" : "64"))
            << c.volume << c.serial;
    }
    dataDisc("H", "ONLYHERE");  // known to the drive object made now, not to the player
    common::CreateFSO();
    selection.sVolumeName = "ONLYHERE";
    selection.sSerNum = std::to_string(serialOf("H"));
    std::string drive = "none";
    EXPECT_FALSE(window.VolumeNameExistsAnyDrive(drive));
    EXPECT_FALSE(window.CDSerNumExistsAnyDrive(drive));
    EXPECT_EQ(drive, "none");
    EXPECT_EQ(asked, 0);

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
    int32_t flags = 0;
    EXPECT_FALSE(window.GetWMPCDROMByVolumeName(cdrom, flags));
    EXPECT_EQ(flags, 0x0040);
    EXPECT_EQ(asked, 1);
}

}  // namespace
}  // namespace lumo::player::testing
