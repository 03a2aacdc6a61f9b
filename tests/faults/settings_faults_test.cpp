// The settings file when its folder is read-only or its disk full: a write
// that cannot be done leaves the stored file exactly as it was, with nothing
// beside it, says so, and the value read afterwards is the stored one; a
// write that can be done keeps every other entry.
#include <set>

#include "fault_support.h"

namespace lumo::faults::testing {
namespace {

const std::string Stored =
    "[Drives]\nD=/srv/images/album.cue\nE=/dev/sr0\n\n[Library]\nMusicFolders=/music/a, /music/b\n"
    "PlaylistFolders=/lists\n\n[Settings]\nINSTALLDIR=/opt/lumo\nMBLog=3\n";

struct Case {
    const char* name;
    const char* error;
    const char* calls;
    int skip;
    const char* valueRead = "3";  // afterwards, in the same process
};
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }


class SettingsFile : public HelperTest {
protected:
    fs::path folder = config / "lumo";
    fs::path file = folder / "LUMO Player.ini";

    void SetUp() override { writeBytes(file, Stored); }
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) found.insert(entry.path().filename().string());
        return found;
    }
};

class SettingsFaults : public SettingsFile, public ::testing::WithParamInterface<Case> {};

TEST_P(SettingsFaults, AFailedWriteLeavesTheStoredFileAsItWas) {
    const Case& c = GetParam();
    const std::set<std::string> before = names();
    const Finished run = runWith(faultOn(folder.string(), c.error, c.calls, c.skip),
                                 {"settings", "write", "LUMO Player", "Settings", "MBLog", "1"});
    ASSERT_EQ(run.status, 0) << run.dump();
    ASSERT_FALSE(run.injected.empty()) << "the fault was never met\n" << run.dump();
    EXPECT_EQ(run.said("written"), std::vector<std::string>{"no"}) << run.dump();
    EXPECT_EQ(run.said("value"), std::vector<std::string>{c.valueRead}) << run.dump();
    EXPECT_EQ(bytesOf(file), Stored);
    EXPECT_EQ(names(), before) << "files left beside the settings";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsFaults,
    ::testing::Values(Case{"ReadOnlyFolder", "EROFS", "", 0}, Case{"FolderWithoutWriteAccess", "EACCES", "", 0},
                      Case{"DiskFullAtTheFirstWrite", "ENOSPC", "write", 0},
                      Case{"DiskFullHalfwayThroughTheFile", "ENOSPC", "write", 1},
                      Case{"SyncFails", "EIO", "fsync", 0}, Case{"RenameRefused", "EROFS", "rename", 0},
                      Case{"QuotaExceededOnCreate", "EDQUOT", "open", 0},
                      Case{"StoredFileUnreadable", "EACCES", "read", 0, "<none>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFile, AWriteThatSucceedsKeepsEveryOtherEntryAndTheFilesPermissions) {
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const Finished run = this->run({"settings", "write", "LUMO Player", "Settings", "MBLog", "1"});
    ASSERT_EQ(run.status, 0) << run.dump();
    EXPECT_EQ(run.said("written"), std::vector<std::string>{"yes"}) << run.dump();
    EXPECT_EQ(run.said("value"), std::vector<std::string>{"1"});
    const std::string now = bytesOf(file);
    for (const char* kept : {"D=/srv/images/album.cue", "E=/dev/sr0", "MusicFolders=/music/a, /music/b",
                             "PlaylistFolders=/lists", "INSTALLDIR=/opt/lumo", "MBLog=1"})
        EXPECT_NE(now.find(kept), std::string::npos) << kept << " is gone from\n" << now;
    EXPECT_EQ(names(), std::set<std::string>{"LUMO Player.ini"});
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SettingsFile, ALockLeftByAKilledWriterDoesNotStopTheNextWrite) {
    // What a QSettings writer killed as it made its lock file leaves: no
    // owner to ask, so QSettings would wait for it for ever.
    writeBytes(folder / "LUMO Player.ini.lock", "");
    const Finished run = this->run({"settings", "write", "LUMO Player", "Settings", "MBLog", "1"});
    EXPECT_EQ(run.said("written"), std::vector<std::string>{"yes"}) << run.dump();
    EXPECT_NE(bytesOf(file).find("MBLog=1"), std::string::npos);
}

}  // namespace
}  // namespace lumo::faults::testing
