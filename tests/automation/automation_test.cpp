// The automation object as a host gets it from the class factory, over a
// simulated player and drive service that each test scripts, with the
// settings and the error log in a fresh temporary folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "automation/class_factory.h"
#include "automation/interface_doc.h"
#include "automation/operation_list.h"
#include "automation/operation_table.h"
#include "common/codes.h"
#include "common/shared_fso.h"
#include "failsafe/failsafe.h"
#include "lumo/lumo_audio.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_drives.h"
#include "tests/temp_folder.h"

namespace lumo::automation::testing {
namespace {

namespace fs = std::filesystem;
using lumo::testing::FakeDrive;
using platform::simulated::PlaylistScript;
using platform::simulated::Scenario;
using platform::simulated::SimulatedPlayer;

class AutomationTest : public ::testing::Test {
protected:
    lumo::testing::TempFolder folder{"lumo-automation"};
    Scenario scenario;
    std::shared_ptr<lumo::testing::FakeDriveService> drives = std::make_shared<lumo::testing::FakeDriveService>();
    SimulatedPlayer* player = nullptr;  // the current host's
    _cLUMOAudio* audio = nullptr;

    void SetUp() override {
        fs::create_directories(folder / "install");
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            ::setenv(name, (folder / name).c_str(), 1);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
        platform::writeSetting("LUMO Player", "Settings", "INSTALLDIR", (folder / "install").string());
        player::setMediaPlayerFactory([this] {
            auto made = std::make_unique<SimulatedPlayer>(scenario);
            player = made.get();
            return made;
        });
        common::setDriveServiceFactory([this] { return drives; });
        player::unloadAudioPlayer();
        common::ReleaseFSO();
        activeSelection() = ActiveSelection{};
    }
    void TearDown() override {
        if (audio) audio->Release();
        player::unloadAudioPlayer();
        common::ReleaseFSO();
        player::setMediaPlayerFactory(nullptr);
        common::setDriveServiceFactory(nullptr);
    }

    // Creates the object the way the library's entry point does.
    void create() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject(CLSID_cLUMOAudio, IID_IClassFactory, reinterpret_cast<void**>(&factory)), hr::S_OK);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID__cLUMOAudio, reinterpret_cast<void**>(&audio)), hr::S_OK);
        factory->Release();
        (void)player::AudioPlayer();  // the host the object reaches
    }
    Variant get(const std::string& name) {
        DISPID id = -1;
        std::vector<Variant> none;
        Variant result;
        EXPECT_EQ(audio->GetIDsOfNames(&name, 1, &id), hr::S_OK) << name;
        EXPECT_EQ(audio->Invoke(id, dispatch::Method | dispatch::PropertyGet, none, &result, nullptr), hr::S_OK) << name;
        return result;
    }
};

TEST(InterfaceDocumentation, MatchesTheOperationTable) {
    EXPECT_EQ(lumo::testing::bytesOf(LUMO_SOURCE_DIR "/docs/interface.md"), interfaceMarkdown())
        << "regenerate with: build/automation/lumo-interface-doc > docs/interface.md";
}

// Where a virtual member sits in its class's vtable, counted from 0. A
// pointer to a virtual member holds its byte offset in the vtable: plus one
// in the Itanium C++ ABI, as it is on ARM, where the virtual flag is in the
// adjustment instead.
template <typename Member>
size_t vtableIndex(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(uintptr_t));
    uintptr_t words[2];
    std::memcpy(words, &member, sizeof words);
#if defined(__arm__) || defined(__aarch64__)
    EXPECT_EQ(words[1] & 1, 1u) << "not a virtual member";
    return words[0] / sizeof(void*);
#else
    EXPECT_EQ(words[0] & 1, 1u) << "not a virtual member";
    return (words[0] - 1) / sizeof(void*);
#endif
}

// A host calls a slot by its place in the vtable it compiled against; Invoke
// calls the row at that place in the table. Each listed member's vtable place
// is its row's place, after IUnknown's three slots, IDispatch's four and, for
// the extension, _cLUMOAudio's.
TEST(OperationTable, EachRowSitsAtItsMembersPlaceInTheVtable) {
    struct Placed {
        size_t vtableIndex;
        std::string name;
        uint16_t kind;
    };
    using namespace dispatch;
    using Interface = _cLUMOAudioEx;  // _cLUMOAudio's members keep their places in it
#define LUMO_PLACED(slot, id, kind, name, member, result, parameters, names) \
    Placed{vtableIndex(&Interface::member), #name, kind},
    const std::vector<Placed> audio{LUMO_AUDIO_OPERATIONS(LUMO_PLACED)};
    const std::vector<Placed> extension{LUMO_AUDIO_EXTENSION_OPERATIONS(LUMO_PLACED)};
#undef LUMO_PLACED

    const auto expectPlaces = [](const std::vector<Placed>& members, std::span<const Operation> rows, size_t first) {
        ASSERT_EQ(members.size(), rows.size());
        for (const Placed& member : members) {
            ASSERT_GE(member.vtableIndex, first) << member.name;
            const size_t place = member.vtableIndex - first;
            ASSERT_LT(place, rows.size()) << member.name;
            const FuncDesc& row = rows[place].desc;
            EXPECT_EQ(row.name + " " + std::to_string(row.invokeKind), member.name + " " + std::to_string(member.kind))
                << "at vtable index " << member.vtableIndex;
            EXPECT_EQ(row.slot, static_cast<int32_t>(place) + 1) << member.name;
        }
    };
    const size_t firstSlot = 3 + 4;
    expectPlaces(audio, operations(), firstSlot);
    expectPlaces(extension, extensionOperations(), firstSlot + operations().size());
}

// What the operations ask of the player: the bounds of volume and balance,
// steps of five, the values each object keeps, and the missing player.
using Operations = AutomationTest;

TEST_F(Operations, OutOfBoundsVolumeAndBalanceBecomeTheirDefaultsAndStepsModesAndControlsGoToThePlayer) {
    create();
    const std::tuple<bool, int32_t, int32_t> cases[] = {  // volume or balance, asked, read
        {true, 101, 50}, {true, -1, 50}, {true, 100, 100}, {true, 0, 0},
        {false, 101, 0}, {false, -101, 0}, {false, 100, 100}, {false, -100, -100}};
    for (const auto& [volume, asked, read] : cases) {
        volume ? audio->put_Volume(asked) : audio->put_Balance(asked);
        EXPECT_EQ(get(volume ? "Volume" : "Balance"), Variant(read)) << volume << " " << asked;
    }
    // InitializeVolBal goes through the same bounds and leaves its arguments.
    int32_t volume = 150, balance = -30;
    audio->InitializeVolBal(&volume, &balance);
    EXPECT_EQ(get("Volume"), Variant(50));
    EXPECT_EQ(get("Balance"), Variant(-30));
    EXPECT_EQ(volume, 150);

    // Steps of five leave the bound to the player; modes and controls go straight to it.
    audio->put_Volume(98);
    const long before = static_cast<long>(player->calls().size());
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
    EXPECT_EQ(std::vector<std::string>(player->calls().begin() + before, player->calls().end()),
              (std::vector<std::string>{"volume=103", "volume=95", "shuffle=true", "loop=true", "autoRewind=false",
                                        "mute=true", "pause", "next", "previous"}));
    EXPECT_EQ(get("IsShuffleOn"), Variant::boolean(true));
    EXPECT_EQ(get("IsLoopOn"), Variant::boolean(true));
}

TEST_F(Operations, StoredValuesBelongToEachObjectAndWithoutAPlayerVersionTheTextSaysSo) {
    scenario.versionFails = true;
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
    EXPECT_EQ(get("WMPVersion"), Variant("Error getting MS WMP version info. MS Windows Media Player installed?"));
    EXPECT_EQ(failsafe::fsOPTION(16, "Get").text(), (folder / "install" / "LUMOAudioErrors.log").string());
}

// InitialisePL: which checks run before a disc is activated, in their order,
// what comes back in the by-reference arguments, and a disc that changes
// between the checks and the activation. Matching the discs themselves is
// the player host's test.
struct Outcome {
    bool activated = false;
    int32_t plError = -1, cdroms = -7;
    std::string wmpError = "untouched", promptedDrive = "untouched";
};

class InitialisePL : public AutomationTest {
protected:
    Outcome activate(int32_t kind, std::string name, int32_t how = 0, std::string drive = "", std::string serial = "",
                     std::string volume = "") {
        Outcome out;
        int16_t result = 0;
        int32_t shuffle = shuffle_mode::On;
        audio->InitialisePL(&out.promptedDrive, &kind, &name, &how, &drive, &serial, &volume, &shuffle, &out.cdroms,
                            &out.wmpError, &out.plError, &result);
        out.activated = result != 0;
        return out;
    }
    std::string current() { return get("GetCurrentPlaylist").string(); }
    static PlaylistScript disc(std::string name, int tracks = 2) {
        PlaylistScript script{std::move(name)};
        for (int t = 1; t <= tracks; ++t) script.items.push_back({"Track " + std::to_string(t), "cdda://x#" + std::to_string(t)});
        return script;
    }
};

TEST_F(InitialisePL, DiscChecksRunInTheirOrderAndTheFirstFailureEndsThem) {
    scenario.drives = {{"D:", disc("Disc D")}, {"E:", disc("Disc E", 3)}};
    drives->add("D", "Audio CD", -123);
    drives->add("E", "Audio CD", 803381);
    drives->add("F", "Music", 42);  // a drive the player does not list
    create();
    namespace how = how_to_id;
    const struct {
        int32_t how;
        std::string letter, serial, volume;
        int32_t plError;
        std::string current;  // "" when nothing was activated
    } cases[] = {
        {how::DriveLetter, "D", "", "", pl_error::NoSuchDrive, ""},  // no colon, no drive
        {how::DriveLetter | how::VolumeName, "X:", "", "Music", pl_error::NoSuchDrive, ""},  // the letter first, alone
        {how::VolumeName | how::SerialNumber, "", "42", "Nope", pl_error::NoDiscWithVolume, ""},  // volume before serial
        {how::SerialNumber, "", "42", "", pl_error::NoDiscWithSerial, ""},  // F is not the player's
        {how::VolumeName, "", "", "Audio", pl_error::NoDiscWithVolume, ""},  // only the whole name
        {how::DriveLetter, "e:", "", "", 0, "Disc E"},
        {how::SerialNumber, "", "-0123", "", 0, "Disc D"},
    };
    for (const auto& c : cases) {
        const Outcome out = activate(playlist_type::Cdrom, "", c.how, c.letter, c.serial, c.volume);
        EXPECT_EQ(out.plError, c.plError) << c.how << c.letter << c.serial << c.volume;
        EXPECT_EQ(out.activated, !c.current.empty()) << c.how << c.letter << c.serial << c.volume;
        EXPECT_EQ(out.cdroms, 2);
        EXPECT_EQ(out.activated ? current() : "", c.current);
    }
    player->scenario().drives.clear();
    const Outcome none = activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "D:");
    EXPECT_EQ(none.plError, pl_error::NoCdDrive);
    EXPECT_EQ(none.cdroms, 0);
}

TEST_F(InitialisePL, ADiscSwappedAfterTheChecksIsNotTakenForTheOneChecked) {
    scenario.drives = {{"D:", disc("Wanted")}};
    const std::shared_ptr<FakeDrive> d = drives->add("D", "Audio CD", 11);
    create();
    // The check reads the disc first; by the activation's read another one is in.
    const auto swapAfterFirstRead = [&] {
        d->serial = 11;
        player->scenario().drives[0].disc = disc("Wanted");
        d->beforeRead = [this, reads = 0](FakeDrive& drive) mutable {
            if (++reads != 2) return;
            drive.serial = 99;
            player->scenario().drives[0].disc = disc("Other", 5);
        };
    };
    swapAfterFirstRead();
    const Outcome bySerial = activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "11");
    EXPECT_FALSE(bySerial.activated);
    EXPECT_EQ(bySerial.plError, pl_error::NoDiscWithVolume) << "the check passed, the activation found no such disc";
    EXPECT_EQ(current(), "");

    // With the drive letter too, the letter still names the drive: its new
    // disc is made current, and only the flag tells it is not the one checked.
    swapAfterFirstRead();
    const Outcome both = activate(playlist_type::Cdrom, "", how_to_id::SerialNumber | how_to_id::DriveLetter, "D:", "11");
    EXPECT_TRUE(both.activated);
    EXPECT_EQ(both.plError, pl_error::NoDiscWithVolume);
    EXPECT_EQ(current(), "Other");
}

TEST_F(InitialisePL, LibraryPlaylistsLeaveTheDiscArgumentsAloneAndWithoutADisplayThePromptCountsAsCancelled) {
    scenario.playlists = {{"Jazz", false, {{"Take Five", "file:///m/a.flac"}}}};
    scenario.drives = {{"D:", disc("Audio CD")}};
    drives->add("D", "Audio CD", 7);
    create();
    const Outcome jazz = activate(playlist_type::Standard, "Jazz");
    EXPECT_TRUE(jazz.activated);
    EXPECT_EQ(jazz.wmpError + " " + std::to_string(jazz.cdroms), "untouched -7") << "only written for discs";
    EXPECT_EQ(get("IsShuffleOn"), Variant::boolean(false)) << "the shuffle mode is stored, not applied";
    EXPECT_EQ(activate(playlist_type::Auto, "Nope").plError, pl_error::NoSuchPlaylist);
    EXPECT_EQ(current(), "Jazz") << "the current playlist stays";
    // An unknown kind activates nothing, clears the error and the prompted drive.
    const Outcome other = activate(3, "Jazz");
    EXPECT_EQ(std::tie(other.activated, other.plError, other.promptedDrive, other.wmpError, other.cdroms),
              std::make_tuple(false, 0, "", "untouched", -7));
    for (int round = 0; round < 2; ++round) {  // the prompt's flag does not pile up
        const Outcome prompted = activate(playlist_type::Cdrom, "", how_to_id::None);
        EXPECT_FALSE(prompted.activated);
        EXPECT_EQ(prompted.plError, pl_error::PromptCancelled);
        EXPECT_EQ(prompted.promptedDrive, "");
    }
    audio->DoTerminate();
    EXPECT_EQ(activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "7").plError, pl_error::NoDiscWithSerial);
    EXPECT_TRUE(activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "D:").activated)
        << "the player's own drives still answer";
}

}  // namespace
}  // namespace lumo::automation::testing
