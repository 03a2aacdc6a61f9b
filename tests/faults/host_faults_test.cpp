// The whole program as a host runs it (lumo-host, the built library) with
// its log folder, settings folder and cache read-only, or its disk full:
// every call answers exactly as it does without the fault, and the log and
// the settings keep what they held.
#ifdef LUMO_HOST_EXECUTABLE

#include "../platform/library/media_files.h"
#include "fault_support.h"

namespace lumo::faults::testing {
namespace {

const char* const Script =
    ":register\nVersion\nVolume = 30\nVolume\nSelectPlaylists 0 \"\" 0 \"\" \"\" \"\" 0 false\n"
    "InitialisePL \"\" 0 \"mix\" 0 \"\" \"\" \"\" 2 0 \"\" 0\nDoPlay\nDoStop\n";
const std::string EarlierLog = "a line from an earlier run\r\n";

class WholeProgram : public HelperTest {
protected:
    fs::path install = root / "install", music = root / "music", lists = root / "playlists";
    fs::path log = install / "LUMOAudioErrors.log", settings = config / "lumo" / "LUMO Player.ini";
    std::string storedSettings;

    void SetUp() override {
        platform::library::testing::writeWav(music / "a.wav", 0.2);
        writeBytes(lists / "mix.m3u", (music / "a.wav").string() + "\n");
        storedSettings = "[Library]\nMusicFolders=" + music.string() + "\nPlaylistFolders=" + lists.string() +
                         "\n\n[Settings]\nINSTALLDIR=" + install.string() + "\nMBLog=3\n";
        writeBytes(settings, storedSettings);
        writeBytes(log, EarlierLog);
    }
    Finished host(const std::vector<std::string>& env) {
        const fs::path folder = nextRunFolder();
        writeBytes(folder / "script.lumo", Script);
        return finish(startProgram({LUMO_HOST_EXECUTABLE, (folder / "script.lumo").string()}, env, folder), folder);
    }
};

TEST_F(WholeProgram, AnswersAlikeAndKeepsWhatWasStoredWhenItsFoldersAreReadOnlyOrFull) {
    const Finished baseline = host(environment());
    ASSERT_EQ(baseline.status, 0) << baseline.dump();
    ASSERT_EQ(baseline.out.size(), 8u) << baseline.dump();
    const std::string logged = bytesOf(log);
    ASSERT_EQ(logged.substr(0, EarlierLog.size()), EarlierLog);
    ASSERT_GT(logged.size(), EarlierLog.size()) << "the script logs nothing, so the log folder goes untested";
    writeBytes(log, EarlierLog);
    fs::remove_all(cache);

    const std::string folders = install.string() + ":" + (config / "lumo").string() + ":" + cache.string();
    for (const Fault& fault : {faultOn(folders, "EROFS"), faultOn(folders, "ENOSPC", "write,fsync")}) {
        SCOPED_TRACE(fault.error);
        const fs::path injected = root / ("injected-" + fault.error);
        std::vector<std::string> env = environmentWith(fault, injected);
        const Finished run = host(env);
        EXPECT_FALSE(linesOf(bytesOf(injected)).empty()) << "the faults were never met";
        EXPECT_EQ(run.status, 0) << run.dump();
        EXPECT_EQ(run.out, baseline.out) << run.dump();
        EXPECT_EQ(bytesOf(log), EarlierLog);
        EXPECT_EQ(bytesOf(settings), storedSettings);
    }
}

}  // namespace
}  // namespace lumo::faults::testing

#endif
