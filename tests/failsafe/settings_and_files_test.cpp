// The options, FSCLIENT.INI and the values options are built on; the
// circular trace log; and every file the framework writes stays this user's
// alone.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <limits>
#include <tuple>

#include "failsafe/trace/circular_log.h"
#include "failsafe/file_append.h"
#include "failsafe/value.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;

// A value as a readable text, so that a failing comparison says what came back.
std::string shown(const Value& value) {
    if (value.isEmpty()) return "<empty>";
    return (value.isFlag() ? "flag " : value.isText() ? "text " : "number ") + value.text();
}

class OptionsTest : public FrameworkTest {
protected:
    std::string get(int n, const char* how = "Get") { return shown(fs->option(n, Value(how))); }
};

TEST_F(OptionsTest, NumberTextAndFixedOptions) {
    const std::tuple<int, Value, std::string> cases[] = {
        {11, Value(2.5), "number 2"}, {11, "3.5", "number 4"}, {11, "on", "number 4"},  // half to even, text ignored
        {25, Value(int32_t{100000}), "number 100000"}, {25, "many", "number 100000"},
        {4, "support@x", "text support@x"}, {28, "tracker@x", "text tracker@x"}, {29, "Getter", "text Getter"},
        {30, "GE", "text GE"}, {26, "c.log", "text c.log"},
        {1, "01-01-2000 00:00:00", "text 12-04-2026 05:30:00"}, {3, Value::flag(true), "flag False"},
        {17, "Get", "<empty>"}, {32, "Get", "<empty>"}, {-1, "Get", "<empty>"}};
    for (const auto& [n, value, reading] : cases) {
        EXPECT_EQ(shown(fs->option(n, value)), "<empty>") << n;
        EXPECT_EQ(get(n), reading) << "option " << n << " set to " << shown(value);
    }
    EXPECT_TRUE(fs->option(0, "Get").text().starts_with("6.6 ("));
}

// Found by the settings values fuzz target: numbers at the edges of their range.
TEST(ValueTest, NumbersTheirRoundingAndTheirRange) {
    const std::nullopt_t no = std::nullopt;
    const std::pair<Value, std::optional<double>> numbers[] = {{Value::flag(true), -1.0}, {"  -3.25  ", -3.25},
        {"1e3", 1000.0}, {Value(), no}, {"   ", no}, {"12abc", no}, {"1 2", no}, {"inf", no}, {"nan", no}};
    for (const auto& [value, number] : numbers) EXPECT_EQ(value.number(), number) << '"' << value.text() << '"';
    const std::pair<Value, std::optional<int16_t>> to16[] = {{Value(0.5), 0}, {Value(1.5), 2}, {Value(-2.5), -2},
        {Value(2.5001), 3}, {Value(32767.4), 32767}, {Value(32767.5), no}, {Value(-32768.5), -32768},
        {Value(-32768.6), no}, {"abc", no}, {Value(std::numeric_limits<double>::quiet_NaN()), no}};
    for (const auto& [value, expected] : to16) EXPECT_EQ(value.toInt16(), expected) << '"' << value.text() << '"';
    EXPECT_EQ(Value(2147483647.0).toInt32(), std::numeric_limits<int32_t>::max());
    EXPECT_FALSE(Value(2147483647.5).toInt32());
    EXPECT_FALSE(Value(-std::numeric_limits<double>::infinity()).toInt32());
    const std::pair<const char*, double> leading[] = {{"  -3.5e2x", -350.0}, {"1.25.5", 1.25}, {".5", 0.5},
        {"5e", 5.0}, {"5e+", 5.0}, {"abc", 0.0}, {"-", 0.0}, {".", 0.0}};
    for (const auto& [text, expected] : leading) EXPECT_EQ(leadingNumber(text), expected) << '"' << text << '"';
}

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

class PrivateFilesTest : public FrameworkTest {};

// New files are owner-only and open ones are narrowed, keeping their text. A
// link someone planted, a FIFO (a blocking open would never return) or a
// folder at the name: refused, and a link's target untouched.
TEST_F(PrivateFilesTest, LinksFifosAndFoldersAtTheNameAreRefused) {
    const mode_t umask = ::umask(0);
    std::ofstream(path("old.log")) << "kept\r\n";  // left readable by an older program
    ::chmod(path("old.log").c_str(), 0644);
    CircularLog fresh;
    EXPECT_TRUE(appendToFile(path("new.log").string(), "line\r\n") && createEmptyIfMissing(path("empty.log").string()) &&
                fresh.open(path("circ.log")) && appendToFile(path("old.log").string(), "added\r\n"));
    ::umask(umask);
    for (const char* name : {"new.log", "empty.log", "circ.log", "old.log"})
        EXPECT_EQ(fs::status(path(name)).permissions(), fs::perms::owner_read | fs::perms::owner_write) << name;
    EXPECT_EQ(bytesOf(path("old.log")), "kept\r\nadded\r\n");
    std::ofstream(path("victim")) << "precious";
    fs::create_symlink(path("victim"), path("planted.log"));
    fs::create_symlink(path("not-there"), path("dangling.log"));
    ASSERT_EQ(::mkfifo(path("fifo.log").c_str(), 0600), 0);
    fs::create_directory(path("folder.log"));
    for (const char* name : {"planted.log", "dangling.log", "fifo.log", "folder.log"}) {
        CircularLog circular;
        EXPECT_FALSE(appendToFile(path(name).string(), "overwrite") || createEmptyIfMissing(path(name).string()) ||
                     circular.open(path(name)) || circular.isOpen())
            << name;
    }
    EXPECT_FALSE(appendToFile("", "no name"));
    writeOptions("[Log File]\r\nWrite To Disk=1\r\nLog File=planted.log\r\n");  // the log file itself
    fs->start();
    fs->writeLog("a line for the log");
    EXPECT_EQ(fs->option(16, Value(path("planted.log").string())).text(), "");  // the library's own check at start-up
    EXPECT_EQ(bytesOf(path("victim")), "precious");
    EXPECT_FALSE(fs::exists(path("not-there"))) << "a dangling link must not create its target";
}

}  // namespace
}  // namespace lumo::failsafe::testing
