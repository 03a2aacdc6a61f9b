// The circular trace log: its header, its fixed-size slots, the wrap to slot
// 1, the settings that switch it off, and that every slot is in the file the
// moment it is written.

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

constexpr const char* InternalErrorTitle = "FailSafe - Internal Error Handler";

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
        std::string text = "[Log File]\r\nCircularLog=1\r\n[CircularLog]\r\nFileName=" + file + "\r\n";
        if (!recordSize.empty()) text += "RecordSize=" + recordSize + "\r\n";
        if (!maxRecords.empty()) text += "MaxRecords=" + maxRecords + "\r\n";
        text += "[include]\r\nResources=0\r\nMemory=0\r\nArguments=0\r\nUser=0\r\n";
        writeOptions(text);
    }
    std::string startRecord() { return "[LUMOAudioPlayer] " + fs->message(20); }
    std::string circular(const std::string& name = "circ.log") const { return readFile(path(name)); }
    // Slot k of the file, `size` bytes each after the 10-byte header.
    std::string slotOf(const std::string& file, size_t size, size_t k) const {
        const size_t at = 10 + size * k;
        return at >= file.size() ? std::string() : file.substr(at, size);
    }
    void expectSwitchedOffWithInternalError(const std::string& mentioned) {
        EXPECT_FALSE(fs->settings().circularLog);
        EXPECT_EQ(shownFlag(27), "False");
        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(ui->boxes[0].title, InternalErrorTitle);
        EXPECT_EQ(ui->boxes[0].style, box::Critical);
        EXPECT_NE(ui->boxes[0].text.find(mentioned), std::string::npos) << ui->boxes[0].text;
    }
    std::string shownFlag(int n) { return fs->option(n, "Get").text(); }
};

// --- Start ----------------------------------------------------------------

TEST_F(CircularLogTest, StartWritesTheHeaderAndTheStartRecordIntoSlotZero) {
    circularOptions("512", "100");
    fs->start();
    EXPECT_TRUE(fs->settings().circularLog);
    const std::string file = circular();
    ASSERT_EQ(file.size(), 10u + 512u);
    EXPECT_EQ(file.substr(0, 10), "CIRCULAR\r\n");
    EXPECT_EQ(slotOf(file, 512, 0), slot(startRecord(), 512));
    EXPECT_TRUE(startRecord().starts_with("[LUMOAudioPlayer] 12-04-2026 05:30:00 - start FailSafe client v6.6"));
}

TEST_F(CircularLogTest, StartRecordIsNotCountedAsATraceRecord) {
    circularOptions("128", "10");
    fs->start();
    EXPECT_EQ(fs->records(), 0u);
    now += 5;
    fs->push("modMain", "Sub Main", "");
    EXPECT_EQ(slotOf(circular(), 128, 1), slot(record(1, 5, true, 1, "modMain", "Sub Main"), 128));
}

TEST_F(CircularLogTest, DefaultsAreFiveHundredTwelveBytesAndAHundredSlots) {
    writeOptions("[Log File]\nCircularLog=1\n");
    fs->start();
    EXPECT_EQ(fs->option(25, "Get").number(), 100.0);
    EXPECT_EQ(fs->option(26, "Get").text(), path("circ0001.log").string());
    EXPECT_EQ(fs->settings().recordSize, 512);
    const std::string file = circular("circ0001.log");
    ASSERT_EQ(file.size(), 10u + 512u);
    EXPECT_EQ(file.substr(0, 10), "CIRCULAR\r\n");
    EXPECT_EQ(slotOf(file, 512, 0), slot(startRecord(), 512));
}

TEST_F(CircularLogTest, SettingsFromTheOptionsFileReachTheOptions) {
    circularOptions("64", "3", "trace/../my circ.log");
    std::filesystem::create_directories(path("trace"));
    fs->start();
    EXPECT_EQ(fs->option(27, "Get").text(), "True");
    EXPECT_EQ(fs->option(25, "Get").number(), 3.0);
    EXPECT_EQ(fs->option(26, "Get").text(), path("trace/../my circ.log").string());
    EXPECT_EQ(fs->settings().recordSize, 64);
    EXPECT_TRUE(std::filesystem::exists(path("my circ.log")));
}

TEST_F(CircularLogTest, ExistingFileIsOverwrittenSlotBySlotNotEmptied) {
    {
        std::ofstream out(path("circ.log"), std::ios::binary);
        out << std::string(200, 'Z');
    }
    circularOptions("16", "100");
    fs->start();
    const std::string file = circular();
    ASSERT_EQ(file.size(), 200u);
    EXPECT_EQ(file.substr(0, 10), "CIRCULAR\r\n");
    EXPECT_EQ(slotOf(file, 16, 0), slot(startRecord(), 16));
    EXPECT_EQ(file.substr(26), std::string(174, 'Z'));
}

// --- Slots and the wrap -------------------------------------------------------

TEST_F(CircularLogTest, AfterTheLastSlotWritingGoesOnAtSlotOneTwice) {
    circularOptions("64", "3");
    fs->start();
    now += 10;
    fs->push("modMain", "Sub A", "");  // 1 -> slot 1
    now += 10;
    fs->push("modMain", "Sub B", "");  // 2 -> slot 2
    now += 10;
    fs->pop("modMain", "Sub B", "");  // 3 -> slot 3
    {
        const std::string file = circular();
        ASSERT_EQ(file.size(), 10u + 64u * 4u);
        EXPECT_EQ(file, "CIRCULAR\r\n" + slot(startRecord(), 64) + slot(record(1, 10, true, 1, "modMain", "Sub A"), 64) +
                            slot(record(2, 20, true, 2, "modMain", "Sub B"), 64) +
                            slot(record(3, 30, false, 2, "modMain", "Sub B"), 64));
    }
    now += 10;
    fs->pop("modMain", "Sub A", "");  // 4 -> slot 1 (first wrap)
    now += 10;
    fs->push("modMain", "Sub C", "");  // 5 -> slot 2
    now += 10;
    fs->pop("modMain", "Sub C", "");  // 6 -> slot 3
    now += 10;
    fs->push("frmSelPlaylist", "Sub D", "");  // 7 -> slot 1 (second wrap)
    now += 1234;
    fs->push("cLUMOAudio", "Property (Get) Volume", "");  // 8 -> slot 2

    const std::string file = circular();
    EXPECT_EQ(file.size(), 10u + 64u * 4u);
    EXPECT_EQ(file, "CIRCULAR\r\n" + slot(startRecord(), 64) +
                        slot(record(7, 70, true, 1, "frmSelPlaylist", "Sub D"), 64) +
                        slot(record(8, 1304, true, 2, "cLUMOAudio", "Property (Get) Volume"), 64) +
                        slot(record(6, 60, false, 1, "modMain", "Sub C"), 64));
}

TEST_F(CircularLogTest, LimitZeroKeepsRewritingSlotOne) {
    circularOptions("48", "0");
    fs->start();
    for (int i = 1; i <= 3; ++i) {
        now += 1;
        fs->push("modMain", "Sub A", "");
        now += 1;
        fs->pop("modMain", "Sub A", "");
    }
    EXPECT_EQ(circular(), "CIRCULAR\r\n" + slot(startRecord(), 48) + slot(record(6, 6, false, 1, "modMain", "Sub A"), 48));
}

TEST_F(CircularLogTest, LongRecordIsCutToTheSlot) {
    circularOptions("40", "5");
    fs->start();
    now += 1;
    fs->push("modMain", "Sub CreateFSO", "");
    const std::string full = record(1, 1, true, 1, "modMain", "Sub CreateFSO");
    ASSERT_GT(full.size(), 38u);
    EXPECT_EQ(slotOf(circular(), 40, 1), full.substr(0, 38) + "\r\n");
}

TEST_F(CircularLogTest, RecordOfExactlyTheSlotTextLengthIsNeitherPaddedNorCut) {
    const std::string full = record(1, 1, true, 1, "modMain", "Sub CreateFSO");
    const std::pair<size_t, std::string> cases[] = {
        {full.size() + 1, full.substr(0, full.size() - 1) + "\r\n"},  // one too long: cut
        {full.size() + 2, full + "\r\n"},                             // exactly fits
        {full.size() + 3, full + " \r\n"},                            // one short: padded
    };
    for (const auto& [size, expected] : cases) {
        SCOPED_TRACE("RecordSize " + std::to_string(size));
        ScopedFramework own;
        own->setServices(std::make_unique<FakeServices>(&now, &memory, &debugger, &breaks));
        own->setUserInterface(ui);
        own->setProgram(fs->program());
        const std::string name = "circ" + std::to_string(size) + ".log";
        circularOptions(std::to_string(size), "5", name);
        now = 50000;
        own->start();
        now += 1;
        own->push("modMain", "Sub CreateFSO", "");
        EXPECT_EQ(slotOf(readFile(path(name)), size, 1), expected);
    }
}

TEST_F(CircularLogTest, EverySlotIsExactlyRecordSizeBytesEndingInCrLf) {
    for (int size : {2, 3, 17, 100, 512}) {
        SCOPED_TRACE("RecordSize " + std::to_string(size));
        ScopedFramework own;
        own->setServices(std::make_unique<FakeServices>(&now, &memory, &debugger, &breaks));
        own->setUserInterface(ui);
        own->setProgram(fs->program());
        const std::string name = "size" + std::to_string(size) + ".log";
        circularOptions(std::to_string(size), "100", name);
        own->start();
        own->push("modMain", "Sub A", "");
        own->push("modMain", "Sub B", "");
        own->pop("modMain", "Sub B", "");
        const std::string file = readFile(path(name));
        ASSERT_EQ(file.size(), 10u + static_cast<size_t>(size) * 4u);
        for (size_t k = 0; k < 4; ++k) {
            const std::string s = slotOf(file, static_cast<size_t>(size), k);
            EXPECT_EQ(s.size(), static_cast<size_t>(size)) << "slot " << k;
            EXPECT_TRUE(s.ends_with("\r\n")) << "slot " << k;
            EXPECT_EQ(s.find("\r\n"), s.size() - 2) << "slot " << k;
        }
    }
}

TEST_F(CircularLogTest, RecordSizeTwoGivesSlotsOfJustALineEnd) {
    circularOptions("2", "2");
    fs->start();
    fs->push("modMain", "Sub A", "");
    fs->push("modMain", "Sub B", "");
    fs->pop("modMain", "Sub B", "");  // wraps to slot 1
    EXPECT_EQ(circular(), "CIRCULAR\r\n\r\n\r\n\r\n");
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(CircularLogTest, RecordsCarryWhatTheIncludeDefaultsAdd) {
    writeOptions("[Log File]\nCircularLog=1\n[CircularLog]\nFileName=circ.log\nRecordSize=128\nMaxRecords=5\n");
    fs->start();
    now += 10;
    fs->push("modMain", "Sub A", "");
    EXPECT_EQ(slotOf(circular(), 128, 1),
              slot("[LUMOAudioPlayer] [00001] [00000.0010] ->modMain : Sub A :  : [res = 42%, mem = 123456789] : ",
                   128));
}

// --- Settings that cannot work ------------------------------------------------

TEST_F(CircularLogTest, RecordSizeZeroSwitchesTheLogOff) {
    circularOptions("0", "5");
    fs->start();
    expectSwitchedOffWithInternalError("RecordSize");
    fs->push("modMain", "Sub A", "");
    const std::string file = circular();
    EXPECT_TRUE(file.empty() || file == "CIRCULAR\r\n") << file.size() << " bytes";
    EXPECT_EQ(ui->boxes.size(), 1u);
}

TEST_F(CircularLogTest, RecordSizeOneSwitchesTheLogOff) {
    circularOptions("1", "5");
    fs->start();
    expectSwitchedOffWithInternalError("RecordSize");
    fs->push("modMain", "Sub A", "");
    const std::string file = circular();
    EXPECT_TRUE(file.empty() || file == "CIRCULAR\r\n") << file.size() << " bytes";
}

TEST_F(CircularLogTest, RecordSizeAbove16BitsSwitchesTheLogOff) {
    circularOptions("70000", "5");
    fs->start();
    expectSwitchedOffWithInternalError("RecordSize");
    fs->push("modMain", "Sub A", "");
    const std::string file = circular();
    EXPECT_TRUE(file.empty() || file == "CIRCULAR\r\n") << file.size() << " bytes";
}

TEST_F(CircularLogTest, LargestRecordSizeIsAccepted) {
    circularOptions("32767", "1");
    fs->start();
    EXPECT_TRUE(fs->settings().circularLog);
    EXPECT_TRUE(ui->boxes.empty());
    const std::string file = circular();
    ASSERT_EQ(file.size(), 10u + 32767u);
    EXPECT_EQ(slotOf(file, 32767, 0), slot(startRecord(), 32767));
}

TEST_F(CircularLogTest, NegativeMaxRecordsSwitchesTheLogOff) {
    circularOptions("64", "-1");
    fs->start();
    expectSwitchedOffWithInternalError("MaxRecords");
    fs->push("modMain", "Sub A", "");
    const std::string file = circular();
    EXPECT_TRUE(file.empty() || file == "CIRCULAR\r\n") << file.size() << " bytes";
}

TEST_F(CircularLogTest, SwitchedOnByOptionWithoutARecordSizeItGoesOffAgain) {
    fs->start();  // no options file: no record size was ever read
    fs->option(27, Value::flag(true));
    fs->push("modMain", "Sub A", "");
    EXPECT_FALSE(fs->settings().circularLog);
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].title, InternalErrorTitle);
    const std::string file = circular("circ0001.log");
    EXPECT_TRUE(file.empty() || file == "CIRCULAR\r\n") << file.size() << " bytes";
    EXPECT_EQ(fs->depth(), 1);
}

// --- A file that cannot be opened -------------------------------------------

TEST_F(CircularLogTest, FileInAMissingFolderSwitchesTheLogOffAtStart) {
    circularOptions("64", "3", "missing/circ.log");
    fs->start();
    EXPECT_FALSE(fs->settings().circularLog);
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(path("missing")));
    fs->push("modMain", "Sub A", "");
    EXPECT_EQ(fs->depth(), 1);
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(CircularLogTest, ReopenFailureInTheDevelopmentEnvironmentSaysSo) {
    debugger = true;
    circularOptions("64", "3", "missing/circ.log");
    fs->start();
    ASSERT_FALSE(fs->settings().circularLog);
    const size_t boxesAfterStart = ui->boxes.size();
    fs->option(27, Value::flag(true));
    fs->push("modMain", "Sub A", "");
    EXPECT_FALSE(fs->settings().circularLog);
    ASSERT_EQ(ui->boxes.size(), boxesAfterStart + 1);
    EXPECT_EQ(ui->boxes.back().text, "Could not open circular log file " + path("missing/circ.log").string());
    EXPECT_EQ(ui->boxes.back().style & 0x70, box::Critical);
    // Off now: the next record tries no more.
    fs->push("modMain", "Sub B", "");
    EXPECT_EQ(ui->boxes.size(), boxesAfterStart + 1);
}

TEST_F(CircularLogTest, ReopenFailureOutsideTheDevelopmentEnvironmentIsSilent) {
    circularOptions("64", "3", "missing/circ.log");
    fs->start();
    fs->option(27, Value::flag(true));
    fs->push("modMain", "Sub A", "");
    EXPECT_FALSE(fs->settings().circularLog);
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(fs->depth(), 1);
}

// --- Switching by option 27 -------------------------------------------------

TEST_F(CircularLogTest, SwitchedOffAndOnAgainItGoesOnAtTheNextSlot) {
    circularOptions("64", "5");
    fs->start();
    now += 10;
    fs->push("modMain", "Sub A", "");  // record 1, slot 1
    fs->option(27, Value::flag(false));
    now += 10;
    fs->push("modMain", "Sub B", "");  // no sink: not written, not counted
    fs->option(27, Value::flag(true));
    now += 10;
    fs->push("modMain", "Sub C", "");  // record 2, slot 2
    EXPECT_EQ(circular(), "CIRCULAR\r\n" + slot(startRecord(), 64) + slot(record(1, 10, true, 1, "modMain", "Sub A"), 64) +
                              slot(record(2, 30, true, 3, "modMain", "Sub C"), 64));
    EXPECT_TRUE(ui->boxes.empty());
}

// --- Crash safety -------------------------------------------------------------

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
    EXPECT_EQ(circular(), "CIRCULAR\r\n" + slot(startRecord(), 64) + slot(record(1, 0, true, 1, "modMain", "Sub Crash"), 64));
}

}  // namespace
}  // namespace lumo::failsafe::testing
