// A process killed (SIGKILL) at random moments while it writes settings,
// refreshes the media library's index or writes the circular trace log:
// afterwards the settings read back whole with the old or the new value, the
// index opens (or is rebuilt) and lists every track, and the circular log's
// header and slots are whole. LUMO_CRASH_KILLS sets the kills per operation.
#include <sqlite3.h>

#include <QSettings>
#include <map>
#include <regex>

#include "../platform/library/media_files.h"
#include "fault_support.h"
#include "platform/library/media_library.h"
#include "platform/user_settings.h"

namespace lumo::faults::testing {
namespace {

class CrashSafety : public HelperTest {
protected:
    std::mt19937 random{std::random_device{}()};

    // Runs the helper until it has said `ready`, lets it go on for a random
    // while, then kills it.
    Finished killDuring(const std::vector<std::string>& arguments, const std::string& ready, int longestDelayMs) {
        const fs::path folder = nextRunFolder();
        const pid_t pid = start(arguments, environment(), folder);
        EXPECT_GT(pid, 0);
        EXPECT_TRUE(waitForLine(folder, ready)) << bytesOf(folder / "err");
        std::this_thread::sleep_for(std::chrono::milliseconds(
            std::uniform_int_distribution<int>(0, longestDelayMs)(random)));
        ::kill(pid, SIGKILL);
        Finished finished = finish(pid, folder);
        EXPECT_EQ(finished.signal, SIGKILL) << "the helper ended before it was killed\n" << finished.dump();
        return finished;
    }
};

TEST_F(CrashSafety, SettingsReadBackWholeWithTheOldOrTheNewValue) {
    const fs::path file = config / "lumo" / "LUMO Player.ini";
    writeBytes(file, "[Drives]\nD=/srv/images/album.cue\n\n[Library]\nMusicFolders=/music/a, /music/b\n\n"
                     "[Settings]\nINSTALLDIR=/opt/lumo\nMBLog=first\n");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::map<std::string, int> outcomes;
    std::string previous = "first";
    for (int kill = 0; kill < killCount(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill + 1));
        const Finished run = killDuring({"settings", "loop", "LUMO Player", "Settings", "MBLog"}, "writing", 60);
        ASSERT_FALSE(run.out.empty());
        ASSERT_TRUE(run.said("failed").empty()) << run.dump();
        // What the file may hold: the value being written when the kill came, or the one before it.
        const std::string& last = run.out.back();
        const bool midWrite = last.rfind("writing ", 0) == 0;
        const std::string newest = last.substr(last.find(' ') + 1);
        const std::vector<std::string> done = run.said("wrote");
        const std::string older = done.empty() ? previous : done.back();

        QSettings stored(QString::fromStdString(file.string()), QSettings::IniFormat);
        ASSERT_EQ(stored.status(), QSettings::NoError);
        EXPECT_EQ(stored.value("Drives/D").toString().toStdString(), "/srv/images/album.cue");
        EXPECT_EQ(stored.value("Library/MusicFolders").toStringList().join(",").toStdString(), "/music/a,/music/b");
        EXPECT_EQ(stored.value("Settings/INSTALLDIR").toString().toStdString(), "/opt/lumo");
        const std::string value = stored.value("Settings/MBLog").toString().toStdString();
        if (value == newest) {
            ++outcomes["new value"];
        } else {
            EXPECT_TRUE(midWrite && value == older) << "MBLog is '" << value << "'\n" << run.dump();
            ++outcomes["old value"];
        }
        previous = value;
        // The killed writer's lock does not stop the next writer.
        ASSERT_TRUE(platform::writeSetting("LUMO Player", "Settings", "MBLog", value));
        if (std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()) > 1)
            ++outcomes["files left beside"];
    }
    printCounts("settings", {{"kills", killCount()}, {"old value", outcomes["old value"]},
                             {"new value", outcomes["new value"]},
                             {"files left beside", outcomes["files left beside"]}});
}

// The integrity check SQLite runs over the whole file.
std::string integrityOf(const fs::path& index) {
    sqlite3* db = nullptr;
    sqlite3_stmt* check = nullptr;
    std::string result = "cannot be opened";
    if (sqlite3_open_v2(index.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK &&
        sqlite3_step(check) == SQLITE_ROW)
        result = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
    sqlite3_finalize(check);
    sqlite3_close(db);
    return result;
}

TEST_F(CrashSafety, TheIndexOpensOrIsRebuiltAndListsEveryTrack) {
    const fs::path music = root / "music", lists = root / "lists", index = cache / "lumo" / "library.sqlite";
    constexpr int Tracks = 80;
    for (int i = 0; i < Tracks; ++i)
        platform::library::testing::writeWav(music / ("track " + std::to_string(i) + ".wav"), 0.01);
    writeBytes(lists / "all.autopl", "[Auto Playlist]\n");
    std::map<std::string, int> outcomes;
    for (int kill = 0; kill < killCount(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill + 1));
        killDuring({"index", "loop", index.string(), music.string()}, "pass", 400);
        const std::string integrity = integrityOf(index);
        ++outcomes[integrity == "ok" ? "intact" : "damaged"];

        std::vector<std::string> logged;
        platform::library::LibraryHooks hooks;
        hooks.log = [&](std::string line) { logged.push_back(std::move(line)); };
        platform::library::MediaLibrary library({{music}, {lists}, index}, hooks);
        const auto all = library.getByName("all");
        ASSERT_EQ(all->count(), 1);
        EXPECT_EQ(all->item(0)->count(), Tracks);
        const bool rebuilt = std::any_of(logged.begin(), logged.end(), [](const std::string& line) {
            return line.find("rebuilt the track index") != std::string::npos;
        });
        if (rebuilt) ++outcomes["rebuilt"];
        EXPECT_TRUE(integrity == "ok" || rebuilt) << integrity;
        for (const std::string& line : logged) EXPECT_EQ(line.find("in memory"), std::string::npos) << line;
    }
    printCounts("index", {{"kills", killCount()}, {"intact", outcomes["intact"]}, {"damaged", outcomes["damaged"]},
                          {"rebuilt", outcomes["rebuilt"]}});
}

TEST_F(CrashSafety, TheCircularLogKeepsItsHeaderAndWholeSlots) {
    constexpr size_t RecordSize = 128, Slots = 17;  // slot 0 and MaxRecords 16
    const fs::path program = root / "program", circular = program / "circ.log";
    writeBytes(program / "FSCLIENT.INI",
               "[Log File]\r\nCircularLog=1\r\n[CircularLog]\r\nFileName=circ.log\r\nRecordSize=128\r\n"
               "MaxRecords=16\r\n[include]\r\nResources=0\r\nMemory=0\r\nArguments=0\r\nUser=0\r\n");
    const std::regex startSlot(R"(\[FaultHelper\] \d\d-\d\d-\d{4} \d\d:\d\d:\d\d - start FailSafe client v.* data capture *\r\n)");
    const std::regex recordSlot(R"(\[FaultHelper\] \[\d{5,}\] \[\d{5,}\.\d{4}\] (->|<-)\t?modCrash : )"
                                R"((Sub Outer|Sub X|Function AMuchLongerProcedureName) *\r\n)");
    std::map<std::string, int> outcomes;
    for (int kill = 0; kill < killCount(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill + 1));
        killDuring({"trace", "loop", program.string()}, "ready", 20);
        const std::string bytes = bytesOf(circular);
        ASSERT_EQ(bytes.substr(0, 10), "CIRCULAR\r\n");
        ASSERT_EQ((bytes.size() - 10) % RecordSize, 0u) << "a slot is cut short: " << bytes.size() << " bytes";
        const size_t slots = (bytes.size() - 10) / RecordSize;
        ASSERT_GE(slots, 1u);
        ASSERT_LE(slots, Slots);
        ++outcomes[slots == Slots ? "wrapped" : "not yet wrapped"];
        EXPECT_TRUE(std::regex_match(bytes.substr(10, RecordSize), startSlot)) << bytes.substr(10, RecordSize);
        for (size_t s = 1; s < slots; ++s) {
            const std::string slot = bytes.substr(10 + s * RecordSize, RecordSize);
            EXPECT_TRUE(std::regex_match(slot, recordSlot)) << "slot " << s << ": " << slot;
        }
        outcomes["slots checked"] += static_cast<int>(slots);
    }
    printCounts("circular log", {{"kills", killCount()}, {"wrapped", outcomes["wrapped"]},
                                 {"not yet wrapped", outcomes["not yet wrapped"]},
                                 {"slots checked", outcomes["slots checked"]}});
}

}  // namespace
}  // namespace lumo::faults::testing
