// The numbered options, the options file FSCLIENT.INI, the log-line writer
// and the framework's numbered messages.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

// A value as a readable text, so that a failing comparison says what came back.
std::string shown(const Value& value) {
    if (value.isEmpty()) return "<empty>";
    if (value.isFlag()) return "flag " + value.text();
    if (value.isText()) return "text \"" + value.text() + "\"";
    return "number " + value.text();
}

const std::string Yes = "flag True", No = "flag False", Empty = "<empty>";
std::string number(int32_t n) { return "number " + std::to_string(n); }
std::string text(const std::string& t) { return "text \"" + t + "\""; }

using Readings = std::vector<std::pair<int, std::string>>;  // option number, what "Get" gives back

class OptionsTest : public FrameworkTest {
protected:
    std::string get(int n, const char* how = "Get") { return shown(fs->option(n, Value(how))); }
    std::string set(int n, const Value& v) { return shown(fs->option(n, v)); }
    void expectReadings(Framework& f, const Readings& readings, const std::string& context = "") {
        for (const auto& [n, value] : readings)
            EXPECT_EQ(shown(f.option(n, "Get")), value) << "option " << n << context;
    }
    // A framework of its own started on `options`, for cases that each need a fresh start.
    void startOn(ScopedFramework& own, const std::string& options) {
        configure(*own);
        writeOptions(options);
        own->start();
    }
};

// --- fsOPTION ------------------------------------------------------------------

// Every option before and after a write: the settings start off, zero or
// empty, options 0 to 3 ignore writes, and "Get" reads in any letter case
// (texts close to it are written).
TEST_F(OptionsTest, EveryOptionBeforeAndAfterAWrite) {
    debugger = true;  // option 3 follows it from the start on
    const std::string log = path("errors.log").string(), version = text(fs->option(0, "Get").text()),
                      maker = text(fs->option(2, "Get").text()), clock = text("12-04-2026 05:30:00");
    const Value on = Value::flag(true);
    const std::tuple<int, Value, std::string, std::string> options[] = {{0, "7.0", version, version},
        {1, "01-01-2000 00:00:00", clock, clock}, {2, "another maker", maker, maker}, {3, on, No, No},
        {4, Value(int32_t{42}), text(""), text("42")}, {11, on, number(0), number(-1)},
        {12, on, No, Yes}, {13, on, No, Yes}, {14, on, No, Yes}, {15, on, No, Yes}, {16, log, text(""), text(log)},
        {20, on, No, No}, {21, on, No, Yes}, {22, Value::flag(false), No, Yes}, {23, on, No, Yes}, {24, on, No, Yes},
        {25, Value(int32_t{12}), number(0), number(12)}, {26, "circular.log", text(""), text("circular.log")},
        {27, on, No, Yes}, {28, "tracker@example.org", text(""), text("tracker@example.org")},
        {29, "Getter", text(""), text("Getter")}, {30, "GE", text(""), text("GE")}, {31, on, No, Yes}};
    for (const auto& [n, value, before, after] : options) {
        EXPECT_EQ(get(n), before) << "option " << n;
        EXPECT_EQ(set(n, value), n == 16 ? text(log) : Empty) << "option " << n;
    }
    for (const char* how : {"Get", "get", "GET", "gEt"})
        for (const auto& [n, value, before, after] : options)
            EXPECT_EQ(get(n, how), after) << "option " << n << " with " << how;
    for (int n : {-1, 5, 6, 7, 8, 9, 10, 17, 18, 19, 32, 33, 100})
        for (const Value& value : {Value("Get"), Value("get"), on, Value("some text")})
            EXPECT_EQ(set(n, value), Empty) << "option " << n << " with " << shown(value);
    EXPECT_TRUE(version.starts_with("text \"6.6 (") && version.ends_with(")\"")) << version;
    fs->start();
    EXPECT_EQ(get(3), Yes);
}

// Each flag is its own setting, stores value <> 0 and ignores a text that is no number.
TEST_F(OptionsTest, FlagOptionsStoreValueNotZero) {
    const std::pair<int, bool Settings::*> flags[] = {{12, &Settings::includeMemory},
        {13, &Settings::includeResources}, {14, &Settings::includeArguments}, {15, &Settings::includeUser},
        {21, &Settings::silentRun}, {23, &Settings::writeToDisk}, {24, &Settings::forceSystemInfo},
        {27, &Settings::circularLog}, {31, &Settings::attachLog}};
    const std::pair<Value, bool> writes[] = {{Value::flag(true), true}, {"yes", true}, {Value(int32_t{0}), false},
        {"yes", false}, {Value(int32_t{5}), true}, {"0", false}, {Value(-0.5), true}, {Value::flag(false), false}};
    for (const auto& flag : flags) {
        const int n = flag.first;
        for (const auto& [value, on] : writes) {
            EXPECT_EQ(set(n, value), Empty) << "option " << n << " set to " << shown(value);
            EXPECT_EQ(get(n), on ? Yes : No) << "option " << n << " set to " << shown(value);
            std::vector<int> settingsOn;
            for (const auto& [other, otherField] : flags) if (fs->settings().*otherField) settingsOn.push_back(other);
            EXPECT_EQ(settingsOn, on ? std::vector{n} : std::vector<int>{})
                << "option " << n << " set to " << shown(value);
        }
    }
}

// Capture To Disk keeps a 16-bit, the circular limit a 32-bit integer; a text
// that is no number changes nothing.
TEST_F(OptionsTest, NumberOptionsRoundHalfToEven) {
    const std::tuple<int, Value, std::string> cases[] = {
        {11, Value::flag(true), number(-1)}, {11, Value(2.5), number(2)}, {11, "3.5", number(4)},
        {11, "on", number(4)}, {11, Value::flag(false), number(0)}, {25, Value(int32_t{100000}), number(100000)},
        {25, "250", number(250)}, {25, Value(6.5), number(6)}, {25, "many", number(6)}};
    for (const auto& [n, value, reading] : cases) {
        EXPECT_EQ(set(n, value), Empty) << "option " << n << " set to " << shown(value);
        EXPECT_EQ(get(n), reading) << "option " << n << " set to " << shown(value);
    }
    EXPECT_EQ(fs->settings().circularLimit, 6);
}

// Options 20 and 22 store "off" as value = 0 and read back that stored flag;
// while it is set, nothing starts or traces.
TEST_F(OptionsTest, FrameworkAndTraceStoreTheOffFlagInverted) {
    const std::pair<Value, bool> writes[] = {
        {Value::flag(true), false}, {Value::flag(false), true}, {Value(int32_t{7}), false}, {"0", true}, {"off", true}};
    for (const auto& [n, field] : {std::pair{20, &Settings::frameworkOff}, std::pair{22, &Settings::traceOff}}) {
        for (const auto& [value, off] : writes) {
            EXPECT_EQ(set(n, value), Empty) << "option " << n << " set to " << shown(value);
            EXPECT_EQ(get(n), off ? Yes : No) << "option " << n << " set to " << shown(value);
            EXPECT_EQ(fs->settings().*field, off) << "option " << n << " set to " << shown(value);
        }
    }
    fs->start();
    EXPECT_FALSE(fs->initialised());
    fs->push("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
    set(20, Value::flag(true));
    fs->push("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
    set(22, Value::flag(true));
    fs->push("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 1);
}

// --- Option 16 and fsWRITELOG ------------------------------------------------------

// Option 16 creates a missing log file and drops a path it cannot create;
// fsWRITELOG appends the text and CR LF to the file while Write To Disk is on.
TEST_F(OptionsTest, LogFileOptionAndWriteLog) {
    const std::string log = path("errors.log").string(), kept = path("kept.log").string();
    ASSERT_FALSE(std::filesystem::exists(log));
    EXPECT_EQ(set(16, log), text(log));
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(std::filesystem::file_size(log), 0u);
    EXPECT_EQ(get(16), text(log));
    fsWRITELOG("not written");
    EXPECT_EQ(readFile(log), "");
    std::ofstream(kept, std::ios::binary) << "old line\r\n";
    // The classic names reach the same framework.
    EXPECT_EQ(shown(fsOPTION(16, Value(kept))), text(kept));
    EXPECT_EQ(shown(fsOPTION(16, Value("GET"))), text(kept));
    EXPECT_EQ(readFile(kept), "old line\r\n");
    fsOPTION(23, Value::flag(true));
    fsWRITELOG("first line");
    fs->writeLog("second line");
    fsWRITELOG("");
    EXPECT_EQ(readFile(kept), "old line\r\nfirst line\r\nsecond line\r\n\r\n");
    std::filesystem::remove(kept);
    fsWRITELOG("again");
    EXPECT_EQ(readFile(kept), "again\r\n");
    set(23, Value::flag(false));
    fsWRITELOG("not written either");
    EXPECT_EQ(readFile(kept), "again\r\n");
    set(23, Value::flag(true));
    EXPECT_EQ(set(16, path("no-such-folder/errors.log").string()), text(""));
    EXPECT_EQ(get(16), text(""));
    EXPECT_NO_THROW(fsWRITELOG("nowhere to go"));
    EXPECT_FALSE(std::filesystem::exists(path("no-such-folder")));
    set(16, log);
    EXPECT_EQ(set(16, ""), text(""));
    EXPECT_EQ(get(16), text(""));
    EXPECT_NO_THROW(fsWRITELOG("nowhere to go"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    EXPECT_EQ(fsMESSAGE(53), "FSVB100");
}

// --- The options file ---------------------------------------------------------

TEST_F(OptionsTest, DefaultsWithoutAnOptionsFileAndWithoutKeys) {
    const Readings either = {{4, text("")}, {11, number(0)}, {16, text("")}, {21, No}, {23, No}, {24, No},
        {26, text(path("circ0001.log").string())}, {27, No}, {28, text("")}, {29, text("")}, {30, text("")}};
    Readings withoutFile = either, withoutKeys = either;
    for (int n : {12, 13, 14, 15, 31}) {  // the include flags and Attach Log
        withoutFile.push_back({n, No});
        withoutKeys.push_back({n, Yes});
    }
    fs->start();
    EXPECT_TRUE(fs->initialised());
    expectReadings(*fs, withoutFile, " without a file");
    EXPECT_EQ(fs->settings().defectDatabase, "");
    EXPECT_FALSE(std::filesystem::exists(path("circ0001.log")));
    EXPECT_TRUE(ui->boxes.empty());
    ScopedFramework own;
    own->option(12, Value::flag(false));  // the options file overrides what the program set before start
    own->option(28, "set by the program");
    startOn(own, "; nothing set\n[unrelated]\nkey=value\n");
    expectReadings(*own, withoutKeys, " without keys");
    EXPECT_EQ(own->settings().defectDatabase, "");
}

TEST_F(OptionsTest, EveryKeyIsReadWithSectionsAndKeysInAnyLetterCase) {
    writeOptions(
        "[Preferences]\nForce System Info=1\nsilent run=1\n"
        "[EMAIL]\nAddress=support@lumo.example\n"
        "[LOG FILE]\nWrite To Disk=1\nCapture To Disk=1\nLog File=trace.log\n"
        "[INCLUDE]\nResources=0\nMEMORY=0\nArguments=0\nUser=0\n"
        "[defecttracker]\nDatabase=defects.mdb\nAddress=tracker@lumo.example\nPROJECT=LUMO Audio\n"
        "Assigned To=Jo Smith\n"
        "[DefectReport]\nAttach Log=0\n");
    fs->start();
    expectReadings(*fs, {{24, Yes}, {21, Yes}, {4, text("support@lumo.example")}, {23, Yes}, {11, number(-1)},
                         {16, text(path("trace.log").string())}, {12, No}, {13, No}, {14, No}, {15, No}, {31, No},
                         {28, text("tracker@lumo.example")}, {29, text("LUMO Audio")}, {30, text("Jo Smith")}});
    EXPECT_EQ(fs->settings().defectDatabase, "defects.mdb");
}

TEST_F(OptionsTest, PositiveFlagsAreOnForANumberAboveZeroInTheirSevenCharacters) {
    const std::pair<std::string, bool> cases[] = {{"1", true}, {"2", true}, {"0.5", true}, {"7 days", true},
        {"0000001", true}, {"0", false}, {"-1", false}, {"yes", false}, {"", false}, {"true", false},
        {"00000001", false}};
    for (const auto& [value, on] : cases) {
        ScopedFramework own;
        startOn(own, "[preferences]\nForce System Info=" + value + "\n[log file]\nWrite To Disk=" + value +
                         "\nCapture To Disk=" + value + "\n");
        expectReadings(*own, {{24, on ? Yes : No}, {23, on ? Yes : No}, {11, number(on ? -1 : 0)}},
                       " reading \"" + value + "\"");
    }
}

// Silent Run and the include flags keep one character, Attach Log 254; any
// number but 0 is on.
TEST_F(OptionsTest, MinusValueFlagsAreOnForANumberOtherThanZero) {
    const std::tuple<std::string, bool, bool> cases[] = {{"1", true, true}, {"0", false, false},
        {"10", true, true}, {"01", false, true}, {"1.5", true, true}, {"-1", false, true}};
    for (const auto& [v, oneCharacterOn, attachOn] : cases) {
        ScopedFramework own;
        startOn(own, "[preferences]\nSilent Run=" + v + "\n[include]\nResources=" + v + "\nMemory=" + v +
                         "\nArguments=" + v + "\nUser=" + v + "\n[DefectReport]\nAttach Log=" + v + "\n");
        const std::string on = oneCharacterOn ? Yes : No;
        expectReadings(*own, {{21, on}, {13, on}, {12, on}, {14, on}, {15, on}, {31, attachOn ? Yes : No}},
                       " reading \"" + v + "\"");
    }
}

TEST_F(OptionsTest, LongTextsAreCutToTheirKeptLength) {
    const std::string long300(300, 'x');
    writeOptions("[email]\nAddress=" + long300 + "\n[DefectTracker]\nDatabase=" + long300 + "\nAddress=" + long300 +
                 "\nProject=" + long300 + "\nAssigned To=" + long300 + "\n[log file]\nWrite To Disk=1\nLog File=" +
                 std::string(130, 'L') + "\n[CircularLog]\nFileName=" + std::string(130, 'c') + "\n");
    fs->start();
    const Settings& s = fs->settings();
    for (const std::string* kept : {&s.mailAddress, &s.defectDatabase, &s.defectAddress, &s.defectProject,
                                    &s.defectAssignedTo})
        EXPECT_EQ(*kept, std::string(254, 'x'));
    EXPECT_EQ(s.logFile, path(std::string(127, 'L')).string());
    EXPECT_EQ(s.circularFile, path(std::string(127, 'c')).string());
}

// Log File is read only with Write To Disk on, relative to the program folder;
// fsWRITELOG then creates it, or writes nothing when its folder is missing.
TEST_F(OptionsTest, LogFileOfTheOptionsFile) {
    const std::string absolute = path("elsewhere/abs.log").string();
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"Write To Disk=1\nLog File=\n", path("error.log").string(), true},
        {"Write To Disk=1\n", path("error.log").string(), true},
        {"Write To Disk=1\nLog File=audio.log\n", path("audio.log").string(), true},
        {"Write To Disk=1\nLog File=logs/audio.log\n", path("logs/audio.log").string(), false},
        {"Write To Disk=1\nLog File=" + absolute + "\n", absolute, false},
        {"Write To Disk=0\nLog File=audio.log\n", "", false}};
    for (const auto& [keys, logFile, written] : cases) {
        ScopedFramework own;
        startOn(own, "[log file]\n" + keys);
        EXPECT_EQ(own->settings().logFile, logFile) << keys;
        ASSERT_FALSE(std::filesystem::exists(path("audio.log")));
        EXPECT_NO_THROW(fsWRITELOG("a line"));
        const std::string wrote = std::filesystem::exists(logFile) ? readFile(logFile) : "nothing";
        EXPECT_EQ(wrote, written ? "a line\r\n" : "nothing") << keys;
        std::filesystem::remove(logFile);
    }
    EXPECT_FALSE(std::filesystem::exists(path("logs")));
    EXPECT_FALSE(std::filesystem::exists(path("elsewhere")));
    EXPECT_TRUE(ui->boxes.empty());
}

// The circular log is on when its value starts with "1"; only then are its
// size and limit read and its file opened.
TEST_F(OptionsTest, CircularLogIsOnWhenItsValueStartsWithOne) {
    const std::pair<std::string, bool> cases[] = {{"1", true}, {"10", true}, {"1x", true}, {"\"1\"", true},
        {" 1 ", true}, {"0", false}, {"01", false}, {"-1", false}, {"true", false}, {"", false}};
    int index = 0;
    for (const auto& [value, on] : cases) {
        ScopedFramework own;
        const std::string file = "circ" + std::to_string(index++) + ".log";
        startOn(own, "[Log File]\nCircularLog=" + value + "\n[CircularLog]\nFileName=" + file +
                         "\nRecordSize=64\nMaxRecords=3\n");
        EXPECT_EQ(own->settings().circularLog, on) << '"' << value << '"';
        EXPECT_EQ(std::filesystem::exists(path(file)), on) << '"' << value << '"';
        EXPECT_EQ(own->settings().circularFile, path(file).string()) << '"' << value << '"';
        EXPECT_EQ(own->settings().recordSize, on ? 64 : 0) << '"' << value << '"';
        EXPECT_EQ(shown(own->option(25, "Get")), number(on ? 3 : 0)) << '"' << value << '"';
    }
}

// --- fsMESSAGE ------------------------------------------------------------------

TEST_F(OptionsTest, Messages) {
    const std::string version = fs->option(0, "Get").text();
    EXPECT_EQ(fs->message(20), "12-04-2026 05:30:00 - start FailSafe client v" + version + " data capture");
    EXPECT_EQ(fs->message(31), "12-04-2026 05:30:00 - stop FailSafe client v" + version + " data capture");
    EXPECT_EQ(fs->message(62), folder.string() + "/LUMOAudioPlayer ver 2.1.7");
    fs->setProgram({folder, "libOther.so", "Other", "Other", 10, 0, 123});
    EXPECT_EQ(fs->message(62), folder.string() + "/Other ver 10.0.123");
    const std::pair<int, const char*> texts[] = {
        {16, " error"}, {19, "Module    "}, {23, "generated error"}, {24, " - Internal Error Handler"},
        {25, "An internal error "}, {26, " has occurred in module FAILSAFE, procedure pfErr(), line "},
        {27, "Error Information"}, {28, "Call Tree & Arguments"}, {29, "System State Information"},
        {30, "Procedure"}, {32, "FailSafe : Program START"}, {34, "Program Error Intercepted"},
        {35, "Line Number "}, {36, "Error No. "}, {37, "Description "}, {38, "Category "}, {42, "&Continue"},
        {44, "&Break to"}, {48, "Procedure is unbalanced or contains calls to unbalanced routines. "},
        {49, "'fsPOP()' was called without 'fsPUSH()'. "}, {51, "Choose CANCEL to continue with program."},
        {53, "FSVB100"}, {61, "Source "}};
    for (const auto& [number, expected] : texts) EXPECT_EQ(fs->message(number), expected) << "message " << number;
    for (int n : {-1, 0, 1, 15, 17, 18, 21, 22, 33, 39, 43, 52, 54, 60, 63, 100})
        EXPECT_EQ(fs->message(n), "") << "message " << n;
    // The break question is one line about choosing OK.
    const std::string breakText = fs->message(50);
    EXPECT_NE(breakText.find("OK"), std::string::npos) << breakText;
    EXPECT_EQ(breakText.find_first_of("\r\n"), std::string::npos) << breakText;
}

}  // namespace
}  // namespace lumo::failsafe::testing
