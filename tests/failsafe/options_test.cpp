// The numbered options, the options file FSCLIENT.INI, the log-line writer
// and the framework's numbered messages.

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>

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

const std::string Yes = "flag True";
const std::string No = "flag False";
const std::string Empty = "<empty>";

std::string number(int32_t n) { return "number " + std::to_string(n); }
std::string text(const std::string& t) { return "text \"" + t + "\""; }

class OptionsTest : public FrameworkTest {
protected:
    std::string get(int n, const char* how = "Get") { return shown(fs->option(n, Value(how))); }
    std::string set(int n, const Value& v) { return shown(fs->option(n, v)); }
};

// --- fsOPTION: reading -------------------------------------------------------

TEST_F(OptionsTest, EverySettingStartsOffZeroOrEmpty) {
    EXPECT_EQ(get(3), No);
    EXPECT_EQ(get(4), text(""));
    EXPECT_EQ(fs->option(11, "Get").number(), 0.0);
    for (int n : {12, 13, 14, 15, 20, 21, 22, 23, 24, 27, 31}) EXPECT_EQ(get(n), No) << "option " << n;
    EXPECT_EQ(get(16), text(""));
    EXPECT_EQ(get(25), number(0));
    EXPECT_EQ(get(26), text(""));
    for (int n : {28, 29, 30}) EXPECT_EQ(get(n), text("")) << "option " << n;
}

TEST_F(OptionsTest, VersionStartsWithItsNumberAndANoteInParentheses) {
    const Value version = fs->option(0, "Get");
    ASSERT_TRUE(version.isText());
    const std::string v = version.text();
    EXPECT_TRUE(v.starts_with("6.6 (")) << v;
    EXPECT_TRUE(v.ends_with(")")) << v;
}

TEST_F(OptionsTest, DateAndTimeIsTheLocalClockInTheFrameworkFormat) {
    EXPECT_EQ(get(1), text("12-04-2026 05:30:00"));
}

TEST_F(OptionsTest, MakerLineIsAText) {
    const Value maker = fs->option(2, "Get");
    ASSERT_TRUE(maker.isText());
    EXPECT_FALSE(maker.text().empty());
}

TEST_F(OptionsTest, DevelopmentEnvironmentFlagFollowsTheDebuggerAfterStart) {
    debugger = true;
    EXPECT_EQ(get(3), No);
    fs->start();
    EXPECT_EQ(get(3), Yes);
}

TEST_F(OptionsTest, GetIsRecognisedInAnyLetterCaseForEveryOption) {
    const std::string log = path("errors.log").string();
    set(4, "me@example.org");
    set(11, Value::flag(true));
    for (int n : {12, 13, 14, 15, 21, 23, 24, 27, 31}) set(n, Value::flag(true));
    set(16, log);
    set(20, Value::flag(true));
    set(22, Value::flag(false));
    set(25, Value(int32_t{12}));
    set(26, "circular.log");
    set(28, "tracker@example.org");
    set(29, "LUMO");
    set(30, "Jo");
    const std::string version = fs->option(0, "Get").text();
    const std::pair<int, std::string> expected[] = {
        {0, text(version)}, {1, text("12-04-2026 05:30:00")}, {3, No},
        {4, text("me@example.org")}, {11, number(-1)}, {12, Yes}, {13, Yes}, {14, Yes}, {15, Yes},
        {16, text(log)}, {20, No}, {21, Yes}, {22, Yes}, {23, Yes}, {24, Yes}, {25, number(12)},
        {26, text("circular.log")}, {27, Yes}, {28, text("tracker@example.org")}, {29, text("LUMO")},
        {30, text("Jo")}, {31, Yes},
    };
    for (const char* how : {"Get", "get", "GET", "gEt"}) {
        for (const auto& [n, value] : expected) EXPECT_EQ(get(n, how), value) << "option " << n << " with " << how;
        EXPECT_TRUE(fs->option(2, how).isText()) << how;
    }
    EXPECT_TRUE(version.starts_with("6.6")) << version;
}

TEST_F(OptionsTest, TextsCloseToGetAreWrittenNotRead) {
    EXPECT_EQ(set(4, "Getter"), Empty);
    EXPECT_EQ(get(4), text("Getter"));
    EXPECT_EQ(set(28, "GE"), Empty);
    EXPECT_EQ(get(28), text("GE"));
}

// --- fsOPTION: writing ---------------------------------------------------------

TEST_F(OptionsTest, TextOptionsStoreTheValueAsText) {
    for (int n : {4, 26, 28, 29, 30}) {
        const std::string stored = "value of " + std::to_string(n);
        EXPECT_EQ(set(n, stored), Empty) << "option " << n;
        EXPECT_EQ(get(n), text(stored)) << "option " << n;
    }
    EXPECT_EQ(fs->settings().mailAddress, "value of 4");
    EXPECT_EQ(fs->settings().circularFile, "value of 26");
    EXPECT_EQ(fs->settings().defectAddress, "value of 28");
    EXPECT_EQ(fs->settings().defectProject, "value of 29");
    EXPECT_EQ(fs->settings().defectAssignedTo, "value of 30");
    set(4, Value(int32_t{42}));
    EXPECT_EQ(get(4), text("42"));
}

TEST_F(OptionsTest, FlagOptionsStoreValueNotZero) {
    for (int n : {12, 13, 14, 15, 21, 23, 24, 27, 31}) {
        EXPECT_EQ(set(n, Value::flag(true)), Empty) << "option " << n;
        EXPECT_EQ(get(n), Yes) << "option " << n;
        set(n, Value(int32_t{0}));
        EXPECT_EQ(get(n), No) << "option " << n;
        set(n, Value(int32_t{5}));
        EXPECT_EQ(get(n), Yes) << "option " << n;
        set(n, "0");
        EXPECT_EQ(get(n), No) << "option " << n;
        set(n, Value(-0.5));
        EXPECT_EQ(get(n), Yes) << "option " << n;
        set(n, Value::flag(false));
        EXPECT_EQ(get(n), No) << "option " << n;
    }
    set(12, Value::flag(true));
    set(13, Value::flag(true));
    set(21, Value::flag(true));
    set(23, Value::flag(true));
    set(24, Value::flag(true));
    set(31, Value::flag(true));
    EXPECT_TRUE(fs->settings().includeMemory);
    EXPECT_TRUE(fs->settings().includeResources);
    EXPECT_FALSE(fs->settings().includeArguments);
    EXPECT_FALSE(fs->settings().includeUser);
    EXPECT_TRUE(fs->settings().silentRun);
    EXPECT_TRUE(fs->settings().writeToDisk);
    EXPECT_TRUE(fs->settings().forceSystemInfo);
    EXPECT_TRUE(fs->settings().attachLog);
    EXPECT_FALSE(fs->settings().circularLog);
}

TEST_F(OptionsTest, NumericOptionsIgnoreATextThatIsNoNumber) {
    set(12, Value::flag(true));
    set(12, "yes");
    EXPECT_EQ(get(12), Yes);
    set(25, Value(int32_t{9}));
    set(25, "many");
    EXPECT_EQ(get(25), number(9));
    set(11, Value(int32_t{1}));
    set(11, "on");
    EXPECT_EQ(fs->option(11, "Get").number(), 1.0);
    set(20, Value::flag(false));
    set(20, "off");
    EXPECT_EQ(get(20), Yes);
}

TEST_F(OptionsTest, CaptureToDiskKeepsTheNumberAsA16BitInteger) {
    set(11, Value::flag(true));
    EXPECT_EQ(fs->option(11, "Get").number(), -1.0);
    set(11, Value(2.5));
    EXPECT_EQ(fs->option(11, "gEt").number(), 2.0);
    set(11, "3.5");
    EXPECT_EQ(fs->option(11, "GET").number(), 4.0);
    set(11, Value::flag(false));
    EXPECT_EQ(fs->option(11, "get").number(), 0.0);
}

TEST_F(OptionsTest, CircularLimitKeepsTheNumberAsA32BitInteger) {
    set(25, Value(int32_t{100000}));
    EXPECT_EQ(get(25), number(100000));
    set(25, "250");
    EXPECT_EQ(get(25), number(250));
    set(25, Value(6.5));
    EXPECT_EQ(get(25), number(6));
    EXPECT_EQ(fs->settings().circularLimit, 6);
}

TEST_F(OptionsTest, FrameworkAndTraceReadBackTheStoredOffFlag) {
    for (int n : {20, 22}) {
        EXPECT_EQ(set(n, Value::flag(true)), Empty) << "option " << n;
        EXPECT_EQ(get(n), No) << "option " << n;
        set(n, Value::flag(false));
        EXPECT_EQ(get(n), Yes) << "option " << n;
        set(n, Value(int32_t{7}));
        EXPECT_EQ(get(n), No) << "option " << n;
        set(n, "0");
        EXPECT_EQ(get(n), Yes) << "option " << n;
    }
    EXPECT_TRUE(fs->settings().frameworkOff);
    EXPECT_TRUE(fs->settings().traceOff);
}

TEST_F(OptionsTest, FrameworkSwitchedOffKeepsStartAndTraceFromRunning) {
    set(20, Value::flag(false));
    fs->start();
    EXPECT_FALSE(fs->initialised());
    fs->push("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
}

TEST_F(OptionsTest, TraceSwitchedOffKeepsPushFromCountingLevels) {
    set(22, Value::flag(false));
    fs->push("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
    set(22, Value::flag(true));
    fs->push("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 1);
}

TEST_F(OptionsTest, ReadOnlyOptionsIgnoreWrites) {
    EXPECT_EQ(set(0, "7.0"), Empty);
    EXPECT_TRUE(fs->option(0, "Get").text().starts_with("6.6"));
    EXPECT_EQ(set(1, "01-01-2000 00:00:00"), Empty);
    EXPECT_EQ(get(1), text("12-04-2026 05:30:00"));
    EXPECT_EQ(set(3, Value::flag(true)), Empty);
    EXPECT_EQ(get(3), No);
}

TEST_F(OptionsTest, NumbersNotInTheTableDoNothingAndReturnEmpty) {
    for (int n : {-1, 5, 6, 7, 8, 9, 10, 17, 18, 19, 32, 33, 100}) {
        EXPECT_EQ(get(n), Empty) << "option " << n;
        EXPECT_EQ(get(n, "get"), Empty) << "option " << n;
        EXPECT_EQ(set(n, Value::flag(true)), Empty) << "option " << n;
        EXPECT_EQ(set(n, "some text"), Empty) << "option " << n;
    }
}

// --- Option 16: the log file ------------------------------------------------

TEST_F(OptionsTest, LogFileIsCreatedEmptyWhenMissingAndThePathReturned) {
    const std::string log = path("LUMOAudioErrors.log").string();
    ASSERT_FALSE(std::filesystem::exists(log));
    EXPECT_EQ(set(16, log), text(log));
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(std::filesystem::file_size(log), 0u);
    EXPECT_EQ(get(16), text(log));
    EXPECT_EQ(get(16, "get"), text(log));
}

TEST_F(OptionsTest, ExistingLogFileKeepsItsContent) {
    const std::string log = path("errors.log").string();
    {
        std::ofstream out(log, std::ios::binary);
        out << "old line\r\n";
    }
    EXPECT_EQ(set(16, log), text(log));
    EXPECT_EQ(readFile(log), "old line\r\n");
}

TEST_F(OptionsTest, LogFileInAMissingFolderLeavesThePathEmpty) {
    const std::string log = path("no-such-folder/errors.log").string();
    EXPECT_EQ(set(16, log), text(""));
    EXPECT_EQ(get(16), text(""));
    EXPECT_FALSE(std::filesystem::exists(path("no-such-folder")));
}

TEST_F(OptionsTest, LogFileThatCannotBeCreatedReplacesAnEarlierPath) {
    const std::string good = path("good.log").string();
    set(16, good);
    set(16, path("no-such-folder/errors.log").string());
    EXPECT_EQ(get(16), text(""));
}

TEST_F(OptionsTest, EmptyLogFileNameCreatesNothing) {
    set(16, path("first.log").string());
    EXPECT_EQ(set(16, ""), text(""));
    EXPECT_EQ(get(16), text(""));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

TEST_F(OptionsTest, ClassicFunctionNamesReachTheFramework) {
    const std::string log = path("classic.log").string();
    EXPECT_EQ(shown(fsOPTION(16, Value(log))), text(log));
    EXPECT_EQ(shown(fsOPTION(16, Value("GET"))), text(log));
    fsOPTION(23, Value::flag(true));
    fsWRITELOG("through the classic name");
    EXPECT_EQ(readFile(log), "through the classic name\r\n");
    EXPECT_EQ(fsMESSAGE(53), "FSVB100");
    EXPECT_EQ(fsUSERTEXT(), "");
}

// --- The options file ---------------------------------------------------------

TEST_F(OptionsTest, WithoutOptionsFileEveryFlagStaysOff) {
    fs->start();
    const Settings& s = fs->settings();
    EXPECT_TRUE(fs->initialised());
    EXPECT_FALSE(s.includeMemory);
    EXPECT_FALSE(s.includeResources);
    EXPECT_FALSE(s.includeArguments);
    EXPECT_FALSE(s.includeUser);
    EXPECT_FALSE(s.writeToDisk);
    EXPECT_EQ(s.captureToDisk, 0);
    EXPECT_FALSE(s.silentRun);
    EXPECT_FALSE(s.forceSystemInfo);
    EXPECT_FALSE(s.attachLog);
    EXPECT_FALSE(s.circularLog);
    EXPECT_EQ(s.logFile, "");
    EXPECT_EQ(s.mailAddress, "");
    EXPECT_EQ(s.defectDatabase, "");
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(OptionsTest, WithoutOptionsFileTheCircularLogKeysStillGiveTheirDefaults) {
    fs->start();
    EXPECT_FALSE(fs->settings().circularLog);
    EXPECT_EQ(fs->settings().circularFile, path("circ0001.log").string());
    EXPECT_EQ(get(26), text(path("circ0001.log").string()));
    EXPECT_FALSE(std::filesystem::exists(path("circ0001.log")));
}

TEST_F(OptionsTest, OptionsFileWithoutKeysGivesTheTableDefaults) {
    writeOptions("; nothing set\n[unrelated]\nkey=value\n");
    fs->start();
    const Settings& s = fs->settings();
    EXPECT_FALSE(s.forceSystemInfo);
    EXPECT_EQ(s.mailAddress, "");
    EXPECT_FALSE(s.writeToDisk);
    EXPECT_EQ(s.captureToDisk, 0);
    EXPECT_EQ(s.logFile, "");
    EXPECT_FALSE(s.silentRun);
    EXPECT_TRUE(s.includeResources);
    EXPECT_TRUE(s.includeMemory);
    EXPECT_TRUE(s.includeArguments);
    EXPECT_TRUE(s.includeUser);
    EXPECT_EQ(s.defectDatabase, "");
    EXPECT_EQ(s.defectAddress, "");
    EXPECT_EQ(s.defectProject, "");
    EXPECT_EQ(s.defectAssignedTo, "");
    EXPECT_TRUE(s.attachLog);
    EXPECT_FALSE(s.circularLog);
    EXPECT_EQ(s.circularFile, path("circ0001.log").string());
}

TEST_F(OptionsTest, EveryKeyOfTheOptionsFileIsRead) {
    writeOptions(
        "[preferences]\n"
        "Force System Info=1\n"
        "Silent Run=1\n"
        "[email]\n"
        "Address=support@lumo.example\n"
        "[log file]\n"
        "Write To Disk=1\n"
        "Capture To Disk=1\n"
        "Log File=trace.log\n"
        "[include]\n"
        "Resources=0\n"
        "Memory=0\n"
        "Arguments=0\n"
        "User=0\n"
        "[DefectTracker]\n"
        "Database=defects.mdb\n"
        "Address=tracker@lumo.example\n"
        "Project=LUMO Audio\n"
        "Assigned To=Jo Smith\n"
        "[DefectReport]\n"
        "Attach Log=0\n");
    fs->start();
    const Settings& s = fs->settings();
    EXPECT_TRUE(s.forceSystemInfo);
    EXPECT_TRUE(s.silentRun);
    EXPECT_EQ(s.mailAddress, "support@lumo.example");
    EXPECT_TRUE(s.writeToDisk);
    EXPECT_NE(s.captureToDisk, 0);
    EXPECT_EQ(s.logFile, path("trace.log").string());
    EXPECT_FALSE(s.includeResources);
    EXPECT_FALSE(s.includeMemory);
    EXPECT_FALSE(s.includeArguments);
    EXPECT_FALSE(s.includeUser);
    EXPECT_EQ(s.defectDatabase, "defects.mdb");
    EXPECT_EQ(s.defectAddress, "tracker@lumo.example");
    EXPECT_EQ(s.defectProject, "LUMO Audio");
    EXPECT_EQ(s.defectAssignedTo, "Jo Smith");
    EXPECT_FALSE(s.attachLog);

    // The same settings as the options read them back.
    EXPECT_EQ(get(24), Yes);
    EXPECT_EQ(get(21), Yes);
    EXPECT_EQ(get(4), text("support@lumo.example"));
    EXPECT_EQ(get(23), Yes);
    EXPECT_EQ(fs->option(11, "Get").number(), -1.0);
    EXPECT_EQ(get(16), text(path("trace.log").string()));
    for (int n : {12, 13, 14, 15, 31}) EXPECT_EQ(get(n), No) << "option " << n;
    EXPECT_EQ(get(28), text("tracker@lumo.example"));
    EXPECT_EQ(get(29), text("LUMO Audio"));
    EXPECT_EQ(get(30), text("Jo Smith"));
}

TEST_F(OptionsTest, PositiveFlagsAreOnOnlyForANumberAboveZero) {
    struct Case {
        const char* text;
        bool on;
    } cases[] = {{"1", true}, {"2", true}, {"0.5", true}, {"7 days", true}, {"0", false},
                 {"-1", false}, {"yes", false}, {"", false}, {"true", false}};
    for (const Case& c : cases) {
        ScopedFramework own;
        own->setServices(std::make_unique<FakeServices>(&now, &memory, &debugger, &breaks));
        own->setUserInterface(ui);
        own->setProgram(fs->program());
        writeOptions(std::string("[preferences]\nForce System Info=") + c.text + "\n[log file]\nWrite To Disk=" +
                     c.text + "\nCapture To Disk=" + c.text + "\n");
        own->start();
        EXPECT_EQ(own->settings().forceSystemInfo, c.on) << '"' << c.text << '"';
        EXPECT_EQ(own->settings().writeToDisk, c.on) << '"' << c.text << '"';
        EXPECT_EQ(own->settings().captureToDisk != 0, c.on) << '"' << c.text << '"';
    }
}

TEST_F(OptionsTest, MinusValueFlagsAreOnForOneAndOffForZero) {
    writeOptions(
        "[preferences]\nSilent Run=1\n"
        "[include]\nResources=0\nMemory=1\nArguments=0\nUser=1\n"
        "[DefectReport]\nAttach Log=1\n");
    fs->start();
    EXPECT_TRUE(fs->settings().silentRun);
    EXPECT_FALSE(fs->settings().includeResources);
    EXPECT_TRUE(fs->settings().includeMemory);
    EXPECT_FALSE(fs->settings().includeArguments);
    EXPECT_TRUE(fs->settings().includeUser);
    EXPECT_TRUE(fs->settings().attachLog);
    // Read back through the options as flags (true = -1).
    EXPECT_EQ(fs->option(21, "Get").number(), -1.0);
    EXPECT_EQ(fs->option(13, "Get").number(), 0.0);
}

TEST_F(OptionsTest, OneCharacterFlagsReadOnlyTheirFirstCharacter) {
    writeOptions(
        "[preferences]\nSilent Run=10\n"
        "[include]\nResources=01\nMemory=0\nArguments=1.5\nUser=-1\n");
    fs->start();
    EXPECT_TRUE(fs->settings().silentRun);         // "1"
    EXPECT_FALSE(fs->settings().includeResources);  // "0"
    EXPECT_FALSE(fs->settings().includeMemory);
    EXPECT_TRUE(fs->settings().includeArguments);  // "1"
    EXPECT_FALSE(fs->settings().includeUser);       // "-" reads as no number
}

TEST_F(OptionsTest, SilentRunZeroOneReadsAsZero) {
    writeOptions("[preferences]\nSilent Run=01\n");
    fs->start();
    EXPECT_FALSE(fs->settings().silentRun);
}

TEST_F(OptionsTest, SevenCharacterFlagsReadOnlyTheirFirstSevenCharacters) {
    writeOptions(
        "[preferences]\nForce System Info=00000001\n"
        "[log file]\nWrite To Disk=00000001\nCapture To Disk=0000001\n");
    fs->start();
    EXPECT_FALSE(fs->settings().forceSystemInfo);
    EXPECT_FALSE(fs->settings().writeToDisk);
    EXPECT_NE(fs->settings().captureToDisk, 0);
}

TEST_F(OptionsTest, LongTextsAreCutToTheirKeptLength) {
    const std::string long300(300, 'x');
    writeOptions("[email]\nAddress=" + long300 +
                 "\n[DefectTracker]\nDatabase=" + long300 + "\nAddress=" + long300 + "\nProject=" + long300 +
                 "\nAssigned To=" + long300 + "\n[log file]\nWrite To Disk=1\nLog File=" + std::string(130, 'L') +
                 "\n[CircularLog]\nFileName=" + std::string(130, 'c') + "\n");
    fs->start();
    const Settings& s = fs->settings();
    EXPECT_EQ(s.mailAddress, std::string(254, 'x'));
    EXPECT_EQ(s.defectDatabase, std::string(254, 'x'));
    EXPECT_EQ(s.defectAddress, std::string(254, 'x'));
    EXPECT_EQ(s.defectProject, std::string(254, 'x'));
    EXPECT_EQ(s.defectAssignedTo, std::string(254, 'x'));
    EXPECT_EQ(s.logFile, path(std::string(127, 'L')).string());
    EXPECT_EQ(s.circularFile, path(std::string(127, 'c')).string());
}

TEST_F(OptionsTest, SectionsInAnyLetterCaseHoldTheSameKeys) {
    writeOptions(
        "[LOG FILE]\nWrite To Disk=1\n"
        "[Preferences]\nsilent run=1\n"
        "[INCLUDE]\nMEMORY=0\n"
        "[defecttracker]\nPROJECT=Audio\n");
    fs->start();
    EXPECT_TRUE(fs->settings().writeToDisk);
    EXPECT_TRUE(fs->settings().silentRun);
    EXPECT_FALSE(fs->settings().includeMemory);
    EXPECT_EQ(fs->settings().defectProject, "Audio");
}

TEST_F(OptionsTest, WriteToDiskWithEmptyLogFileNamesErrorLogInTheProgramFolder) {
    writeOptions("[log file]\nWrite To Disk=1\nLog File=\n");
    fs->start();
    EXPECT_EQ(fs->settings().logFile, path("error.log").string());
}

TEST_F(OptionsTest, WriteToDiskWithoutLogFileKeyNamesErrorLogInTheProgramFolder) {
    writeOptions("[log file]\nWrite To Disk=1\n");
    fs->start();
    EXPECT_EQ(fs->settings().logFile, path("error.log").string());
}

TEST_F(OptionsTest, RelativeLogFileLivesInTheProgramFolder) {
    writeOptions("[log file]\nWrite To Disk=1\nLog File=logs/audio.log\n");
    fs->start();
    EXPECT_EQ(fs->settings().logFile, path("logs/audio.log").string());
}

TEST_F(OptionsTest, AbsoluteLogFileStaysAsWritten) {
    const std::string absolute = path("elsewhere/abs.log").string();
    writeOptions("[log file]\nWrite To Disk=1\nLog File=" + absolute + "\n");
    fs->start();
    EXPECT_EQ(fs->settings().logFile, absolute);
}

TEST_F(OptionsTest, LogFileIsNotReadWhileWriteToDiskIsOff) {
    writeOptions("[log file]\nWrite To Disk=0\nLog File=audio.log\n");
    fs->start();
    EXPECT_FALSE(fs->settings().writeToDisk);
    EXPECT_EQ(fs->settings().logFile, "");
}

TEST_F(OptionsTest, CircularLogKeysAreOnlyReadWhenTheCircularLogIsOn) {
    writeOptions("[Log File]\nCircularLog=0\n[CircularLog]\nFileName=mine.log\nRecordSize=64\nMaxRecords=7\n");
    fs->start();
    EXPECT_FALSE(fs->settings().circularLog);
    EXPECT_EQ(fs->settings().circularFile, path("mine.log").string());
    EXPECT_EQ(get(25), number(0));
    EXPECT_EQ(fs->settings().recordSize, 0);
    EXPECT_FALSE(std::filesystem::exists(path("mine.log")));
}

TEST_F(OptionsTest, CircularLogIsOnWhenItsValueStartsWithOne) {
    struct Case {
        const char* text;
        bool on;
    } cases[] = {{"1", true}, {"10", true}, {"1x", true}, {"\"1\"", true}, {" 1 ", true},
                 {"0", false}, {"01", false}, {"-1", false}, {"true", false}, {"", false}};
    int index = 0;
    for (const Case& c : cases) {
        ScopedFramework own;
        own->setServices(std::make_unique<FakeServices>(&now, &memory, &debugger, &breaks));
        own->setUserInterface(ui);
        own->setProgram(fs->program());
        const std::string file = "circ" + std::to_string(index++) + ".log";
        writeOptions(std::string("[Log File]\nCircularLog=") + c.text + "\n[CircularLog]\nFileName=" + file +
                     "\nRecordSize=64\nMaxRecords=3\n");
        own->start();
        EXPECT_EQ(own->settings().circularLog, c.on) << '"' << c.text << '"';
        EXPECT_EQ(std::filesystem::exists(path(file)), c.on) << '"' << c.text << '"';
    }
}

TEST_F(OptionsTest, OptionsFileOverridesWhatTheProgramSetBeforeStart) {
    writeOptions("[include]\nMemory=0\n");
    set(12, Value::flag(true));
    set(28, "set by the program");
    fs->start();
    EXPECT_EQ(get(12), No);
    EXPECT_EQ(get(28), text(""));
}

// --- fsWRITELOG ---------------------------------------------------------------

TEST_F(OptionsTest, WriteLogAppendsTheTextAndALineEnd) {
    const std::string log = path("LUMOAudioErrors.log").string();
    set(16, log);
    set(23, Value::flag(true));
    fsWRITELOG("first line");
    fs->writeLog("second line");
    fsWRITELOG("");
    EXPECT_EQ(readFile(log), "first line\r\nsecond line\r\n\r\n");
}

TEST_F(OptionsTest, WriteLogKeepsWhatTheFileHeld) {
    const std::string log = path("errors.log").string();
    {
        std::ofstream out(log, std::ios::binary);
        out << "earlier\r\n";
    }
    set(16, log);
    set(23, Value::flag(true));
    fsWRITELOG("later");
    EXPECT_EQ(readFile(log), "earlier\r\nlater\r\n");
}

TEST_F(OptionsTest, WriteLogCreatesTheFileNamedByTheOptionsFile) {
    writeOptions("[log file]\nWrite To Disk=1\nLog File=audio.log\n");
    fs->start();
    ASSERT_FALSE(std::filesystem::exists(path("audio.log")));
    fsWRITELOG("created on first write");
    EXPECT_EQ(readFile(path("audio.log")), "created on first write\r\n");
}

TEST_F(OptionsTest, WriteLogRecreatesADeletedFile) {
    const std::string log = path("errors.log").string();
    set(16, log);
    set(23, Value::flag(true));
    std::filesystem::remove(log);
    fsWRITELOG("again");
    EXPECT_EQ(readFile(log), "again\r\n");
}

TEST_F(OptionsTest, WriteLogWritesNothingWhileWriteToDiskIsOff) {
    const std::string log = path("errors.log").string();
    set(16, log);
    fsWRITELOG("not written");
    EXPECT_EQ(readFile(log), "");
    set(23, Value::flag(true));
    set(23, Value::flag(false));
    fsWRITELOG("not written either");
    EXPECT_EQ(readFile(log), "");
}

TEST_F(OptionsTest, WriteLogWithoutAnyLogFileDoesNotCreateOne) {
    set(23, Value::flag(true));
    EXPECT_NO_THROW(fsWRITELOG("nowhere to go"));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(OptionsTest, WriteLogIntoAMissingFolderIsIgnored) {
    writeOptions("[log file]\nWrite To Disk=1\nLog File=missing/errors.log\n");
    fs->start();
    ASSERT_EQ(fs->settings().logFile, path("missing/errors.log").string());
    EXPECT_NO_THROW(fsWRITELOG("lost"));
    EXPECT_FALSE(std::filesystem::exists(path("missing")));
    EXPECT_TRUE(ui->boxes.empty());
}

// --- fsMESSAGE ------------------------------------------------------------------

TEST_F(OptionsTest, StartAndStopMessagesCarryDateTimeAndVersion) {
    const std::string version = fs->option(0, "Get").text();
    EXPECT_EQ(fs->message(20), "12-04-2026 05:30:00 - start FailSafe client v" + version + " data capture");
    EXPECT_EQ(fs->message(31), "12-04-2026 05:30:00 - stop FailSafe client v" + version + " data capture");
    EXPECT_TRUE(fs->message(20).starts_with("12-04-2026 05:30:00 - start FailSafe client v6.6 ("));
}

TEST_F(OptionsTest, ProgramLineNamesFolderFileAndVersion) {
    EXPECT_EQ(fs->message(62), folder.string() + "/LUMOAudioPlayer ver 2.1.7");
    ProgramInfo other = fs->program();
    other.name = "Other";
    other.major = 10;
    other.minor = 0;
    other.revision = 123;
    fs->setProgram(other);
    EXPECT_EQ(fs->message(62), folder.string() + "/Other ver 10.0.123");
}

TEST_F(OptionsTest, FixedMessageTexts) {
    const std::pair<int, const char*> texts[] = {
        {16, " error"},
        {19, "Module    "},
        {23, "generated error"},
        {24, " - Internal Error Handler"},
        {25, "An internal error "},
        {26, " has occurred in module FAILSAFE, procedure pfErr(), line "},
        {27, "Error Information"},
        {28, "Call Tree & Arguments"},
        {29, "System State Information"},
        {30, "Procedure"},
        {32, "FailSafe : Program START"},
        {34, "Program Error Intercepted"},
        {35, "Line Number "},
        {36, "Error No. "},
        {37, "Description "},
        {38, "Category "},
        {42, "&Continue"},
        {44, "&Break to"},
        {48, "Procedure is unbalanced or contains calls to unbalanced routines. "},
        {49, "'fsPOP()' was called without 'fsPUSH()'. "},
        {51, "Choose CANCEL to continue with program."},
        {53, "FSVB100"},
        {61, "Source "},
    };
    for (const auto& [number, expected] : texts) EXPECT_EQ(fs->message(number), expected) << "message " << number;
}

TEST_F(OptionsTest, BreakMessageIsOneLineAboutChoosingOk) {
    const std::string text = fs->message(50);
    EXPECT_NE(text.find("OK"), std::string::npos) << text;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
}

TEST_F(OptionsTest, NumbersWithoutATextGiveAnEmptyText) {
    for (int n : {-1, 0, 1, 15, 17, 18, 21, 22, 33, 39, 43, 52, 54, 60, 63, 100})
        EXPECT_EQ(fs->message(n), "") << "message " << n;
}

TEST_F(OptionsTest, UserTextIsEmpty) { EXPECT_EQ(fs->userText(), ""); }

}  // namespace
}  // namespace lumo::failsafe::testing
