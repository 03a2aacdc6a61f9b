// The circular trace log: its header, its fixed-size slots, the wrap to slot
// 1, the settings that switch it off, and that every slot is in the file the
// moment it is written.

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>

#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

// A record as the slot holds it: cut or padded with blanks to size - 2, then CR LF.
std::string slot(const std::string& record, size_t size) {
    std::string text = record.substr(0, size - 2);
    text.resize(size - 2, ' ');
    return text + "\r\n";
}

// A trace record with every include flag off: it ends with the procedure text.
std::string record(int number, int64_t milliseconds, bool isPush, int depth, const std::string& module,
                   const std::string& procedure) {
    char head[64];
    std::snprintf(head, sizeof head, "[LUMOAudioPlayer] [%05d] [%05lld.%04lld] %s", number,
                  static_cast<long long>(milliseconds / 10000), static_cast<long long>(milliseconds % 10000),
                  isPush ? "->" : "<-");
    return head + std::string(static_cast<size_t>(depth - 1), '\t') + module + " : " + procedure;
}

class CircularLogTest : public FrameworkTest {
protected:
    // Options that switch the circular log on; the include flags are off so
    // that records end with the procedure text.
    void circularOptions(const std::string& recordSize, const std::string& maxRecords,
                         const std::string& file = "circ.log") {
        writeOptions("[Log File]\r\nCircularLog=1\r\n[CircularLog]\r\nFileName=" + file + "\r\nRecordSize=" +
                     recordSize + "\r\nMaxRecords=" + maxRecords +
                     "\r\n[include]\r\nResources=0\r\nMemory=0\r\nArguments=0\r\nUser=0\r\n");
    }
    // A framework of its own started on those options, for cases that each need a fresh start.
    void startOwn(ScopedFramework& own, const std::string& recordSize, const std::string& maxRecords,
                  const std::string& file) {
        configure(*own);
        circularOptions(recordSize, maxRecords, file);
        own->start();
    }
    // Moves the clock on by `milliseconds` and traces one push or pop in the
    // framework of the moment.
    void after(int64_t milliseconds, bool isPush, std::string_view module, std::string_view procedure) {
        now += milliseconds;
        isPush ? fsPUSH(module, procedure, "") : fsPOP(module, procedure, "");
    }
    std::string startRecord() { return "[LUMOAudioPlayer] " + fs->message(20); }
    std::string circular(const std::string& name = "circ.log") const { return readFile(path(name)); }
    // Slot k of the file, `size` bytes each after the 10-byte header.
    std::string slotOf(const std::string& file, size_t size, size_t k) const {
        const size_t at = 10 + size * k;
        return at >= file.size() ? std::string() : file.substr(at, size);
    }
};

// Without its keys the log has slots of 512 bytes, 100 of them, in
// circ0001.log, and the include flags add their defaults to the records. An
// existing file is overwritten slot by slot, never emptied.
TEST_F(CircularLogTest, DefaultsAndAnExistingFile) {
    std::ofstream(path("circ0001.log"), std::ios::binary) << std::string(600, 'Z');
    writeOptions("[Log File]\nCircularLog=1\n");
    fs->start();
    EXPECT_TRUE(fs->settings().circularLog);
    EXPECT_EQ(fs->option(25, "Get").number(), 100.0);
    EXPECT_EQ(fs->option(26, "Get").text(), path("circ0001.log").string());
    EXPECT_EQ(fs->settings().recordSize, 512);
    const std::string file = circular("circ0001.log");
    ASSERT_EQ(file.size(), 600u);
    EXPECT_EQ(file.substr(0, 10), "CIRCULAR\r\n");
    EXPECT_EQ(slotOf(file, 512, 0), slot(startRecord(), 512));
    EXPECT_EQ(file.substr(522), std::string(78, 'Z'));
    EXPECT_TRUE(startRecord().starts_with("[LUMOAudioPlayer] 12-04-2026 05:30:00 - start FailSafe client v6.6"));
    after(10, true, "modMain", "Sub A");
    EXPECT_EQ(slotOf(circular("circ0001.log"), 512, 1),
              slot("[LUMOAudioPlayer] [00001] [00000.0010] ->modMain : Sub A :  : [res = 42%, mem = 123456789] : ",
                   512));
}

// Slot 0 keeps the start record, which is not counted; after the last slot
// the writing goes on at slot 1.
TEST_F(CircularLogTest, AfterTheLastSlotWritingGoesOnAtSlotOneTwice) {
    circularOptions("64", "3", "trace/../my circ.log");
    std::filesystem::create_directories(path("trace"));
    fs->start();
    EXPECT_EQ(fs->option(26, "Get").text(), path("trace/../my circ.log").string());
    EXPECT_EQ(fs->records(), 0u);
    after(10, true, "modMain", "Sub A");   // 1 -> slot 1
    after(10, true, "modMain", "Sub B");   // 2 -> slot 2
    after(10, false, "modMain", "Sub B");  // 3 -> slot 3
    EXPECT_EQ(circular("my circ.log"), "CIRCULAR\r\n" + slot(startRecord(), 64) +
                                           slot(record(1, 10, true, 1, "modMain", "Sub A"), 64) +
                                           slot(record(2, 20, true, 2, "modMain", "Sub B"), 64) +
                                           slot(record(3, 30, false, 2, "modMain", "Sub B"), 64));
    after(10, false, "modMain", "Sub A");  // 4 -> slot 1 (first wrap)
    after(10, true, "modMain", "Sub C");   // 5 -> slot 2
    after(10, false, "modMain", "Sub C");  // 6 -> slot 3
    after(10, true, "frmSelPlaylist", "Sub D");  // 7 -> slot 1 (second wrap)
    after(1234, true, "cLUMOAudio", "Property (Get) Volume");  // 8 -> slot 2
    EXPECT_EQ(circular("my circ.log"), "CIRCULAR\r\n" + slot(startRecord(), 64) +
                                           slot(record(7, 70, true, 1, "frmSelPlaylist", "Sub D"), 64) +
                                           slot(record(8, 1304, true, 2, "cLUMOAudio", "Property (Get) Volume"), 64) +
                                           slot(record(6, 60, false, 1, "modMain", "Sub C"), 64));
}

TEST_F(CircularLogTest, LimitZeroKeepsRewritingSlotOne) {
    circularOptions("48", "0");
    fs->start();
    for (int i = 0; i < 6; ++i) after(1, i % 2 == 0, "modMain", "Sub A");
    EXPECT_EQ(circular(),
              "CIRCULAR\r\n" + slot(startRecord(), 48) + slot(record(6, 6, false, 1, "modMain", "Sub A"), 48));
}

// Every slot is RecordSize bytes, from 2 to 32767: the record cut or padded
// with blanks to two bytes less, then CR LF. Here the third record wraps to slot 1.
TEST_F(CircularLogTest, EverySlotIsExactlyRecordSizeBytesEndingInCrLf) {
    const std::string full = record(3, 1, true, 1, "modMain", "Sub CreateFSO");
    ASSERT_GT(full.size(), 38u);
    const std::pair<size_t, std::string> cases[] = {
        {2, "\r\n"}, {3, "[\r\n"}, {17, full.substr(0, 15) + "\r\n"}, {40, full.substr(0, 38) + "\r\n"},
        {full.size() + 1, full.substr(0, full.size() - 1) + "\r\n"},  // one too long: cut
        {full.size() + 2, full + "\r\n"},                             // exactly fits
        {full.size() + 3, full + " \r\n"},                            // one short: padded
        {100, full + std::string(98 - full.size(), ' ') + "\r\n"},
        {32767, full + std::string(32765 - full.size(), ' ') + "\r\n"}};
    for (const auto& [size, expected] : cases) {
        ScopedFramework own;
        const std::string name = "circ" + std::to_string(size) + ".log";
        now = 50000;
        startOwn(own, std::to_string(size), "2", name);
        EXPECT_TRUE(own->settings().circularLog) << "RecordSize " << size;
        after(1, true, "modMain", "Sub B");
        after(0, false, "modMain", "Sub B");
        after(0, true, "modMain", "Sub CreateFSO");
        const std::string file = readFile(path(name));
        ASSERT_EQ(file.size(), 10u + size * 3u) << "RecordSize " << size;
        EXPECT_EQ(slotOf(file, size, 1), expected) << "RecordSize " << size;
        for (size_t k = 0; k < 3; ++k)
            EXPECT_EQ(slotOf(file, size, k).find("\r\n"), size - 2) << "RecordSize " << size << ", slot " << k;
    }
    EXPECT_EQ(readFile(path("circ2.log")), "CIRCULAR\r\n\r\n\r\n\r\n");
    EXPECT_TRUE(ui->boxes.empty());
}

// A RecordSize outside 2 to 32767 or a negative MaxRecords switches the log
// off at start, with an internal error that gives the reason; so does switching
// it on by option 27 (no size: no options file) when no record size was read.
TEST_F(CircularLogTest, SettingsThatCannotWorkSwitchTheLogOff) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"0", "5", "RecordSize 0 must lie from 2 to 32767", "circ.log"},
        {"1", "5", "RecordSize 1 must lie from 2 to 32767", "circ.log"},
        {"70000", "5", "RecordSize 70000 must lie from 2 to 32767", "circ.log"},
        {"64", "-1", "MaxRecords -1 must lie from 0 to 2147483647", "circ.log"},
        {nullptr, nullptr, "RecordSize 0 leaves no room for a record and its line end", "circ0001.log"}};
    for (const auto& [recordSize, maxRecords, reason, file] : cases) {
        const std::string name = recordSize ? std::string("RecordSize ") + recordSize + ", MaxRecords " + maxRecords
                                            : std::string("switched on by option 27");
        ui->boxes.clear();
        ScopedFramework own;
        configure(*own);
        if (recordSize) circularOptions(recordSize, maxRecords, file);
        else std::filesystem::remove(path("FSCLIENT.INI"));
        own->start();
        if (!recordSize) own->option(27, Value::flag(true));
        own->push("modMain", "Sub A", "");
        EXPECT_FALSE(own->settings().circularLog) << name;
        EXPECT_EQ(own->option(27, "Get").text(), "False") << name;
        EXPECT_EQ(own->depth(), 1) << name;
        ASSERT_EQ(ui->boxes.size(), 1u) << name;
        EXPECT_EQ(ui->boxes[0].title, "FailSafe - Internal Error Handler") << name;
        EXPECT_EQ(ui->boxes[0].style, box::Critical) << name;
        EXPECT_NE(ui->boxes[0].text.find(std::string("Circular log switched off: ") + reason), std::string::npos)
            << name << ": " << ui->boxes[0].text;
        const std::string written = circular(file);
        EXPECT_TRUE(written.empty() || written == "CIRCULAR\r\n") << name << ": " << written.size() << " bytes";
    }
}

// A file that cannot be opened switches the log off: silently at start, and
// when option 27 switches it on again, with a box in the development
// environment only.
TEST_F(CircularLogTest, FileThatCannotBeOpenedSwitchesTheLogOff) {
    for (const bool inDevelopment : {false, true}) {
        ui->boxes.clear();
        debugger = inDevelopment;
        ScopedFramework own;
        startOwn(own, "64", "3", "missing/circ.log");
        EXPECT_FALSE(own->settings().circularLog) << inDevelopment;
        EXPECT_TRUE(ui->boxes.empty()) << inDevelopment;
        EXPECT_FALSE(std::filesystem::exists(path("missing"))) << inDevelopment;
        own->push("modMain", "Sub A", "");
        EXPECT_EQ(own->depth(), 1) << inDevelopment;
        own->option(27, Value::flag(true));
        own->push("modMain", "Sub B", "");
        EXPECT_FALSE(own->settings().circularLog) << inDevelopment;
        EXPECT_EQ(own->depth(), 2) << inDevelopment;
        ASSERT_EQ(ui->boxes.size(), inDevelopment ? 1u : 0u);
        if (inDevelopment) {
            EXPECT_EQ(ui->boxes[0].text, "Could not open circular log file " + path("missing/circ.log").string());
            EXPECT_EQ(ui->boxes[0].style & 0x70, box::Critical);
        }
        own->push("modMain", "Sub C", "");  // off now: the next record tries no more
        EXPECT_EQ(ui->boxes.size(), inDevelopment ? 1u : 0u);
    }
}

TEST_F(CircularLogTest, SwitchedOffAndOnAgainItGoesOnAtTheNextSlot) {
    circularOptions("64", "5");
    fs->start();
    after(10, true, "modMain", "Sub A");  // record 1, slot 1
    fs->option(27, Value::flag(false));
    after(10, true, "modMain", "Sub B");  // no sink: not written, not counted
    fs->option(27, Value::flag(true));
    after(10, true, "modMain", "Sub C");  // record 2, slot 2
    EXPECT_EQ(circular(), "CIRCULAR\r\n" + slot(startRecord(), 64) +
                              slot(record(1, 10, true, 1, "modMain", "Sub A"), 64) +
                              slot(record(2, 30, true, 3, "modMain", "Sub C"), 64));
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(CircularLogTest, RecordIsInTheFileWhenTheProcessIsKilledRightAfterIt) {
    circularOptions("64", "3");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child does only this and never returns into the test runner.
        fs->push("modMain", "Sub Crash", "");
        ::kill(::getpid(), SIGKILL);
        ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(circular(),
              "CIRCULAR\r\n" + slot(startRecord(), 64) + slot(record(1, 0, true, 1, "modMain", "Sub Crash"), 64));
}

}  // namespace
}  // namespace lumo::failsafe::testing
