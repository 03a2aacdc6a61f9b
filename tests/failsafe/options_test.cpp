// The numbered options, the options file FSCLIENT.INI and its reader, the
// log-line writer, and the loosely typed values the options are built on.
#include <limits>

#include "failsafe/profile_reader.h"
#include "failsafe/value.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {


// A value as a readable text, so that a failing comparison says what came back.
std::string shown(const Value& value) {
    if (value.isEmpty()) return "<empty>";
    return (value.isFlag() ? "flag " : value.isText() ? "text " : "number ") + value.text();
}

class OptionsTest : public FrameworkTest {
protected:
    std::string get(int n, const char* how = "Get") { return shown(fs->option(n, Value(how))); }
    void startOn(ScopedFramework& own, const std::string& options) {
        configure(*own);
        writeOptions(options);
        own->start();
    }
};

// Each flag option is its own setting: it stores value <> 0 and ignores a
// text that is no number. Options 20 and 22 store "off" as value = 0.
TEST_F(OptionsTest, EachFlagOptionSetsItsOwnSetting) {
    const std::pair<int, bool Settings::*> flags[] = {{12, &Settings::includeMemory},
        {13, &Settings::includeResources}, {14, &Settings::includeArguments}, {15, &Settings::includeUser},
        {21, &Settings::silentRun}, {23, &Settings::writeToDisk}, {24, &Settings::forceSystemInfo},
        {27, &Settings::circularLog}, {31, &Settings::attachLog}, {20, &Settings::frameworkOff},
        {22, &Settings::traceOff}};
    const std::pair<Value, bool> writes[] = {{Value::flag(true), true}, {"yes", true}, {Value(int32_t{0}), false},
        {"yes", false}, {Value(-0.5), true}, {"0", false}};
    for (const auto& [n, field] : flags) {
        const bool inverted = n == 20 || n == 22;
        for (const auto& [value, on] : writes) {
            EXPECT_EQ(shown(fs->option(n, value)), "<empty>") << n;
            EXPECT_EQ(get(n, "gEt"), on != inverted ? "flag True" : "flag False") << n << " set to " << shown(value);
            std::vector<int> settingsOn;
            for (const auto& [other, otherField] : flags) if (fs->settings().*otherField) settingsOn.push_back(other);
            EXPECT_EQ(settingsOn, on != inverted ? std::vector{n} : std::vector<int>{}) << n << " set to " << shown(value);
        }
        if (inverted) fs->option(n, Value::flag(true));
    }
    fs->option(20, Value::flag(false));  // the framework off: nothing starts or traces
    fs->push("modMain", "Sub Main", "");
    EXPECT_FALSE(fs->initialised());
}

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

// The options file overrides what the program set before start, in any letter case.
TEST_F(OptionsTest, TheOptionsFileOverridesInAnyLetterCase) {
    fs->option(12, Value::flag(false));
    writeOptions("[Preferences]\nsilent run=1\n[LOG FILE]\nWrite To Disk=1\nLog File=trace.log\n[INCLUDE]\nUser=0\n");
    fs->start();
    const Settings& s = fs->settings();
    EXPECT_TRUE(s.silentRun && s.includeMemory);
    EXPECT_FALSE(s.includeUser);
    EXPECT_EQ(s.logFile, path("trace.log").string());
    ScopedFramework none;  // without a file the include flags stay off and nothing is created
    configure(*none);
    std::filesystem::remove(path("FSCLIENT.INI"));
    none->start();
    EXPECT_FALSE(none->settings().includeMemory || none->settings().writeToDisk);
    EXPECT_FALSE(std::filesystem::exists(path("circ0001.log")));
}

// Force System Info and Write To Disk are on for a number above zero in their
// seven characters; Silent Run (one character) and Attach Log for any number
// but 0; the circular log when its value starts with "1".
TEST_F(OptionsTest, HowEachKindOfFlagIsRead) {
    const std::tuple<std::string, bool, bool, bool, bool> cases[] = {  // value, positive, one character, attach, circular
        {"1", true, true, true, true}, {"0.5", true, false, true, false}, {"7 days", true, true, true, false},
        {"0000001", true, false, true, false}, {"00000001", false, false, true, false},
        {"-1", false, false, true, false}, {"10", true, true, true, true}, {"1x", true, true, true, true},
        {"0", false, false, false, false}, {"yes", false, false, false, false}, {"", false, false, false, false}};
    for (const auto& [v, positive, oneCharacter, attach, circular] : cases) {
        ScopedFramework own;
        startOn(own, "[preferences]\nForce System Info=" + v + "\nSilent Run=" + v + "\n[log file]\nWrite To Disk=" + v +
                         "\nCircularLog=" + v + "\n[CircularLog]\nFileName=c.log\n[DefectReport]\nAttach Log=" + v + "\n");
        const Settings& s = own->settings();
        EXPECT_EQ(std::vector<bool>({s.forceSystemInfo, s.writeToDisk, s.silentRun, s.attachLog, s.circularLog}),
                  std::vector<bool>({positive, positive, oneCharacter, attach, circular}))
            << '"' << v << '"';
        std::filesystem::remove(path("c.log"));
    }
}

// One look-up: section, key, default, characters kept, and what comes back.
using Lookups = std::vector<std::tuple<const char*, const char*, const char*, size_t, std::string>>;

class ProfileReaderTest : public FrameworkTest {
protected:
    void expectLookups(const std::string& text, const Lookups& lookups) {
        writeOptions(text);
        const ProfileReader reader(path("FSCLIENT.INI"));
        for (const auto& [section, key, defaultValue, kept, expected] : lookups)
            EXPECT_EQ(reader.get(section, key, defaultValue, kept), expected)
                << "[" << section << "] " << key << ", " << kept << " kept, in: " << text;
    }
};

// Sections and keys match in any letter case with blanks around them, not
// inside; the first matching key wins, sections of one name count as one.
TEST_F(ProfileReaderTest, MatchingSectionsAndKeys) {
    expectLookups("  [  lOG fILE  ]  \n   wRITE to DISK   =   1   \n\tLog File\t=\terrors.txt\t\nWrite  To Disk=2\n"
                  "[include]\nMemory=0\n[log file]\nLog File=second.log\nCircularLog=1\n",
                  {{"log file", "Write To Disk", "", 7, "1"}, {"LOG FILE", "LOG FILE", "", 127, "errors.txt"},
                   {"logfile", "Write To Disk", "d", 7, "d"}, {"Log File", "CircularLog", "0", 4, "1"}});
    expectLookups("Address=orphan@x\n; a comment\n[email]\nAddress\n;Address=commented@x\nAddress=real@x\n"
                  "address=second@x\n[DefectTracker]\nProject=LUMO ; audio\n",
                  {{"email", "Address", "", 254, "real@x"}, {"", "Address", "d", 254, "d"},
                   {"DefectTracker", "Project", "", 254, "LUMO ; audio"}});
}

// A value is cut to the characters kept (never inside a UTF-8 sequence) after
// one pair of matching quotes is removed; an empty value is no default.
TEST_F(ProfileReaderTest, Values) {
    expectLookups("\xEF\xBB\xBF[log file]\r\nLog File=\r\nWrite To Disk=123456789\r\n"
                  "[DefectTracker]\r\nAssigned To=M\xC3\xBCller\r\nProject=ab\xE6\x97\xA5z\r\n"
                  "Database=\"  spaced  \"\r\nAddress='single'\r\n[email]\r\nAddress=\"mixed'\r\n"
                  "[preferences]\r\nSilent Run=\"1\"\r\n",
                  {{"log file", "Log File", "error.log", 127, ""}, {"log file", "Write To Disk", "", 7, "1234567"},
                   {"DefectTracker", "Assigned To", "", 2, "M"}, {"DefectTracker", "Assigned To", "", 3, "M\xC3\xBC"},
                   {"DefectTracker", "Project", "", 4, "ab"}, {"DefectTracker", "Project", "", 5, "ab\xE6\x97\xA5"},
                   {"DefectTracker", "Database", "", 254, "  spaced  "}, {"DefectTracker", "Address", "", 254, "single"},
                   {"email", "Address", "", 254, "\"mixed'"}, {"preferences", "Silent Run", "0", 1, "1"}});
}

TEST(ValueTest, NumbersTheirRoundingAndTheirRange) {
    const std::nullopt_t no = std::nullopt;
    const std::pair<Value, std::optional<double>> numbers[] = {{Value::flag(true), -1.0}, {"  -3.25  ", -3.25},
        {"1e3", 1000.0}, {Value(), no}, {"   ", no}, {"12abc", no}, {"1 2", no}, {"inf", no}, {"nan", no}};
    for (const auto& [value, number] : numbers) EXPECT_EQ(value.number(), number) << '"' << value.text() << '"';
    const std::pair<Value, std::optional<int16_t>> to16[] = {{Value(0.5), 0}, {Value(1.5), 2}, {Value(-2.5), -2},
        {Value(2.5001), 3}, {Value(32767.4), 32767}, {Value(32767.5), no}, {Value(-32768.5), -32768},
        {Value(-32768.6), no}, {"abc", no}, {Value(std::numeric_limits<double>::quiet_NaN()), no},
        {Value(std::numeric_limits<double>::infinity()), no}};
    for (const auto& [value, expected] : to16) EXPECT_EQ(value.toInt16(), expected) << '"' << value.text() << '"';
    EXPECT_EQ(Value(2147483647.0).toInt32(), std::numeric_limits<int32_t>::max());
    EXPECT_FALSE(Value(2147483647.5).toInt32());
    EXPECT_FALSE(Value(-std::numeric_limits<double>::infinity()).toInt32());
    const std::pair<const char*, double> leading[] = {{"  -3.5e2x", -350.0}, {"1.25.5", 1.25}, {".5", 0.5},
        {"5e", 5.0}, {"5e+", 5.0}, {"abc", 0.0}, {"-", 0.0}, {".", 0.0}};
    for (const auto& [text, expected] : leading) EXPECT_EQ(leadingNumber(text), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace lumo::failsafe::testing
