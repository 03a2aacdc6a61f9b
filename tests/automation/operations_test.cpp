// What each operation asks of the player, with its bounds and its way of
// handling errors.

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
        int32_t asked, volume;
    } volumes[] = {{101, 50}, {-1, 50}, {100, 100}, {0, 0}, {73, 73}};
    for (const auto& v : volumes) {
        audio->put_Volume(v.asked);
        int32_t read = -99;
        audio->get_Volume(&read);
        EXPECT_EQ(read, v.volume) << v.asked;
    }
    const struct {
        int32_t asked, balance;
    } balances[] = {{101, 0}, {-101, 0}, {100, 100}, {-100, -100}};
    for (const auto& b : balances) {
        audio->put_Balance(b.asked);
        EXPECT_EQ(get("Balance"), Variant(b.balance)) << b.asked;
    }
    // InitializeVolBal goes through the same bounds and leaves its arguments.
    int32_t volume = 150, balance = -30;
    audio->InitializeVolBal(&volume, &balance);
    EXPECT_EQ(get("Volume"), Variant(50));
    EXPECT_EQ(get("Balance"), Variant(-30));
    EXPECT_EQ(volume, 150);
}

TEST_F(Operations, StepsOfFiveLeaveTheBoundToThePlayer) {
    create();
    audio->put_Volume(98);
    const size_t before = player->calls().size();
    audio->IncVolUp();
    audio->DecVolDown();
    EXPECT_EQ(callsAfter(before), (std::vector<std::string>{"volume=103", "volume=95"}));
}

TEST_F(Operations, ControlsAndModesGoStraightToThePlayer) {
    create();
    const size_t before = player->calls().size();
    int16_t on = VTrue, off = VFalse;
    audio->DoPlay();
    audio->DoPause();
    audio->DoNext();
    audio->DoPrevious();
    audio->DoStop();
    audio->SetShuffleMode(&on);
    audio->SetLoop(&on);
    audio->SetAutoRewind(&off);
    audio->put_Mute(VTrue);
    const std::vector<std::string> calls = callsAfter(before);
    for (const char* expected : {"play", "pause", "stop", "shuffle=true", "loop=true", "autoRewind=false", "mute=true"})
        EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end()) << expected;
    EXPECT_EQ(get("IsShuffleOn"), Variant::boolean(true));
    EXPECT_EQ(get("IsLoopOn"), Variant::boolean(true));
    EXPECT_EQ(get("Mute"), Variant::boolean(true));
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

TEST_F(Operations, VersionsAndTheMissingPlayerText) {
    scenario.versionFails = true;
    create();
    EXPECT_EQ(get("WMPVersion"), Variant("Error getting MS WMP version info. MS Windows Media Player installed?"));
    const std::string version = get("Version").string();
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 2) << version;
    EXPECT_EQ(version.size() - version.rfind('.') - 1, 4u) << "revision in four digits: " << version;
}

TEST_F(Operations, StartUpPointsTheFrameworkLogIntoTheInstallFolder) {
    create();
    using failsafe::fsOPTION;
    EXPECT_EQ(fsOPTION(16, "Get").text(), (folder / "install" / "LUMOAudioErrors.log").string());
    EXPECT_EQ(fsOPTION(22, "Get"), failsafe::Value::flag(false)) << "option 22 reads whether the trace is off";
    EXPECT_EQ(fsOPTION(11, "Get"), failsafe::Value(0));
    EXPECT_EQ(fsOPTION(23, "Get"), failsafe::Value::flag(true));
    EXPECT_EQ(fsOPTION(24, "Get"), failsafe::Value::flag(true));
    EXPECT_EQ(fsOPTION(27, "Get"), failsafe::Value::flag(false));
}

TEST_F(Operations, TerminateReleasesThePlayerHostAndALaterCallLoadsItAgain) {
    scenario.playlists = {{"Jazz", false, {{"Take Five", "file:///m/take5.flac"}}}};
    create();
    audio->DoTerminate();
    EXPECT_FALSE(player::audioPlayerLoaded());
    EXPECT_EQ(common::sharedFSO(), nullptr);
    audio->DoPlay();
    EXPECT_TRUE(player::audioPlayerLoaded());
    EXPECT_EQ(playersMade, 2) << "a new player host with a new player";
    EXPECT_EQ(player->calls().front(), "autoStart=false") << "loaded with its load steps";
}

}  // namespace
}  // namespace lumo::automation::testing
