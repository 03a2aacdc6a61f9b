// What the operations ask of the player: the bounds of volume and balance,
// steps of five, the values each object keeps, and the missing player.

#include "failsafe/failsafe.h"
#include "tests/automation/automation_fixture.h"

namespace lumo::automation::testing {
namespace {

class Operations : public AutomationTest {
protected:
    std::vector<std::string> callsAfter(size_t start) const {
        return {player->calls().begin() + static_cast<long>(start), player->calls().end()};
    }
};

TEST_F(Operations, VolumeAndBalanceOutOfBoundsBecomeTheirDefaults) {
    create();
    const struct {
        bool volume;
        int32_t asked, read;
    } cases[] = {{true, 101, 50}, {true, -1, 50}, {true, 100, 100}, {true, 0, 0},
                 {false, 101, 0}, {false, -101, 0}, {false, 100, 100}, {false, -100, -100}};
    for (const auto& c : cases) {
        c.volume ? audio->put_Volume(c.asked) : audio->put_Balance(c.asked);
        EXPECT_EQ(get(c.volume ? "Volume" : "Balance"), Variant(c.read)) << c.volume << " " << c.asked;
    }
    // InitializeVolBal goes through the same bounds and leaves its arguments.
    int32_t volume = 150, balance = -30;
    audio->InitializeVolBal(&volume, &balance);
    EXPECT_EQ(get("Volume"), Variant(50));
    EXPECT_EQ(get("Balance"), Variant(-30));
    EXPECT_EQ(volume, 150);
}

TEST_F(Operations, StepsOfFiveLeaveTheBoundToThePlayerAndModesAndControlsGoStraightToIt) {
    create();
    audio->put_Volume(98);
    const size_t before = player->calls().size();
    int16_t on = VTrue, off = VFalse;
    audio->IncVolUp();
    audio->DecVolDown();
    audio->SetShuffleMode(&on);
    audio->SetLoop(&on);
    audio->SetAutoRewind(&off);
    audio->put_Mute(VTrue);
    audio->DoPause();
    audio->DoNext();
    audio->DoPrevious();
    EXPECT_EQ(callsAfter(before), (std::vector<std::string>{"volume=103", "volume=95", "shuffle=true", "loop=true",
                                                            "autoRewind=false", "mute=true", "pause", "next",
                                                            "previous"}));
    EXPECT_EQ(get("IsShuffleOn"), Variant::boolean(true));
    EXPECT_EQ(get("IsLoopOn"), Variant::boolean(true));
}

TEST_F(Operations, StoredValuesBelongToEachObject) {
    create();
    Variant list("Jazz;Rock");
    audio->putref_PlayLists(&list);
    audio->put_CDError(1);
    EXPECT_EQ(get("PlayLists"), Variant("Jazz;Rock"));
    EXPECT_EQ(get("CDError"), Variant::boolean(true));

    _cLUMOAudio* first = audio;
    audio = nullptr;
    create();
    EXPECT_TRUE(get("PlayLists").isEmpty());
    EXPECT_EQ(get("CDError"), Variant::boolean(false));
    first->Release();
}

TEST_F(Operations, WithoutAPlayerVersionTheTextSaysSoAndTheLogIsInTheInstallFolder) {
    scenario.versionFails = true;
    create();
    EXPECT_EQ(get("WMPVersion"), Variant("Error getting MS WMP version info. MS Windows Media Player installed?"));
    EXPECT_EQ(failsafe::fsOPTION(16, "Get").text(), (folder / "install" / "LUMOAudioErrors.log").string());
}

}  // namespace
}  // namespace lumo::automation::testing
