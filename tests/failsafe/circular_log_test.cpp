// The circular trace log: fixed-size slots after a header, the wrap to slot
// 1, the settings that switch it off, and every slot in the file the moment
// it is written.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <tuple>

#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

// A record as its slot holds it: cut or padded with blanks to size - 2, then CR LF.
std::string slot(const std::string& record, size_t size) {
    std::string text = record.substr(0, size - 2);
    text.resize(size - 2, ' ');
    return text + "\r\n";
}

// A trace record with every include flag off: it ends with the procedure text.
std::string record(int number, int64_t ms, bool isPush, int depth, const std::string& procedure) {
    char head[64];
    std::snprintf(head, sizeof head, "[LUMOAudioPlayer] [%05d] [%05lld.%04lld] %s", number,
                  static_cast<long long>(ms / 10000), static_cast<long long>(ms % 10000), isPush ? "->" : "<-");
    return head + std::string(static_cast<size_t>(depth - 1), '\t') + "modMain : " + procedure;
}

class CircularLogTest : public FrameworkTest {
protected:
    void circularOptions(const std::string& recordSize, const std::string& maxRecords,
                         const std::string& file = "circ.log") {
        writeOptions("[Log File]\r\nCircularLog=1\r\n[CircularLog]\r\nFileName=" + file + "\r\nRecordSize=" +
                     recordSize + "\r\nMaxRecords=" + maxRecords +
                     "\r\n[include]\r\nResources=0\r\nMemory=0\r\nArguments=0\r\nUser=0\r\n");
    }
    void after(int64_t ms, bool isPush, std::string_view procedure) {
        now += ms;
        isPush ? fsPUSH("modMain", procedure, "") : fsPOP("modMain", procedure, "");
    }
    std::string start(size_t size) { return "CIRCULAR\r\n" + slot("[LUMOAudioPlayer] " + fs->message(20), size); }
    std::string circular(const std::string& name = "circ.log") const { return bytesOf(path(name)); }
};

// Slot 0 keeps the start record, which is not counted; after the last slot
// the writing goes on at slot 1.
TEST_F(CircularLogTest, AfterTheLastSlotWritingGoesOnAtSlotOneTwice) {
    circularOptions("64", "3", "trace/../my circ.log");
    std::filesystem::create_directories(path("trace"));
    fs->start();
    after(10, true, "Sub A");   // 1 -> slot 1
    after(10, true, "Sub B");   // 2 -> slot 2
    after(10, false, "Sub B");  // 3 -> slot 3
    EXPECT_EQ(circular("my circ.log"), start(64) + slot(record(1, 10, true, 1, "Sub A"), 64) +
                                           slot(record(2, 20, true, 2, "Sub B"), 64) +
                                           slot(record(3, 30, false, 2, "Sub B"), 64));
    after(10, false, "Sub A");  // 4 -> slot 1 (first wrap)
    after(10, true, "Sub C");   // 5 -> slot 2
    after(10, false, "Sub C");  // 6 -> slot 3
    after(10, true, "Sub D");   // 7 -> slot 1 (second wrap)
    after(1234, true, "Property (Get) Volume");  // 8 -> slot 2
    EXPECT_EQ(circular("my circ.log"), start(64) + slot(record(7, 70, true, 1, "Sub D"), 64) +
                                           slot(record(8, 1304, true, 2, "Property (Get) Volume"), 64) +
                                           slot(record(6, 60, false, 1, "Sub C"), 64));
}

// Every slot is RecordSize bytes, from 2 to 32767, ending in CR LF.
TEST_F(CircularLogTest, EverySlotIsExactlyRecordSizeBytes) {
    const std::string full = record(3, 1, true, 1, "Sub CreateFSO");  // the third record wraps to slot 1
    const std::pair<size_t, std::string> cases[] = {
        {2, "\r\n"},
        {full.size() + 1, full.substr(0, full.size() - 1) + "\r\n"},  // one too long: cut
        {full.size() + 2, full + "\r\n"},                             // exactly fits
        {full.size() + 3, full + " \r\n"},                            // one short: padded
        {32767, full + std::string(32765 - full.size(), ' ') + "\r\n"}};
    for (const auto& [size, expected] : cases) {
        ScopedFramework own;
        configure(*own);
        const std::string name = "circ" + std::to_string(size) + ".log";
        circularOptions(std::to_string(size), "2", name);
        now = 50000;
        own->start();
        after(1, true, "Sub B"), after(0, false, "Sub B"), after(0, true, "Sub CreateFSO");
        const std::string file = circular(name);
        ASSERT_EQ(file.size(), 10u + size * 3u) << "RecordSize " << size;
        EXPECT_EQ(file.substr(10 + size, size), expected) << "RecordSize " << size;
        for (size_t k = 0; k < 3; ++k) EXPECT_EQ(file.find("\r\n", 10 + size * k), 10 + size * k + size - 2) << size;
    }
    EXPECT_TRUE(ui->boxes.empty());
}

// Settings that cannot work switch the log off at start with an internal
// error that says why; so does switching it on by option 27 without a size.
TEST_F(CircularLogTest, SettingsThatCannotWorkSwitchTheLogOff) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"1", "5", "RecordSize 1 must lie from 2 to 32767"},
        {"32768", "5", "RecordSize 32768 must lie from 2 to 32767"},
        {"64", "-1", "MaxRecords -1 must lie from 0 to 2147483647"},
        {nullptr, nullptr, "RecordSize 0 leaves no room for a record and its line end"}};
    for (const auto& [recordSize, maxRecords, reason] : cases) {
        ui->boxes.clear();
        std::filesystem::remove(path("circ.log"));
        ScopedFramework own;
        configure(*own);
        recordSize ? circularOptions(recordSize, maxRecords) : writeOptions("");
        own->start();
        if (!recordSize) own->option(27, Value::flag(true));
        own->push("modMain", "Sub A", "");
        EXPECT_FALSE(own->settings().circularLog) << reason;
        ASSERT_EQ(ui->boxes.size(), 1u) << reason;
        EXPECT_EQ(ui->boxes[0].style, box::Critical) << reason;
        EXPECT_NE(ui->boxes[0].text.find(std::string("Circular log switched off: ") + reason), std::string::npos)
            << ui->boxes[0].text;
        EXPECT_FALSE(std::filesystem::exists(path("circ.log")) && circular() != "CIRCULAR\r\n") << reason;
    }
}

// A file that cannot be opened switches the log off: silently at start, and
// when option 27 switches it on again, with a box in the development environment only.
TEST_F(CircularLogTest, AFileThatCannotBeOpenedSwitchesTheLogOff) {
    for (const bool inDevelopment : {false, true}) {
        ui->boxes.clear();
        debugger = inDevelopment;
        ScopedFramework own;
        configure(*own);
        circularOptions("64", "3", "missing/circ.log");
        own->start();
        EXPECT_FALSE(own->settings().circularLog);
        own->option(27, Value::flag(true));
        own->push("modMain", "Sub B", "");
        own->push("modMain", "Sub C", "");  // off again: the next record tries no more
        EXPECT_FALSE(own->settings().circularLog);
        EXPECT_EQ(own->depth(), 2);
        ASSERT_EQ(ui->boxes.size(), inDevelopment ? 1u : 0u);
        if (inDevelopment) {
            EXPECT_EQ(ui->boxes[0].text, "Could not open circular log file " + path("missing/circ.log").string());
        }
    }
    EXPECT_FALSE(std::filesystem::exists(path("missing")));
}

TEST_F(CircularLogTest, TheRecordIsInTheFileWhenTheProcessIsKilledRightAfterIt) {
    circularOptions("64", "3");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // does only this and never returns into the test runner
        fs->push("modMain", "Sub Crash", "");
        ::kill(::getpid(), SIGKILL);
        ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "child status " << status;
    EXPECT_EQ(circular(), start(64) + slot(record(1, 0, true, 1, "Sub Crash"), 64));
}

}  // namespace
}  // namespace lumo::failsafe::testing
