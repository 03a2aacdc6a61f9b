// The options-file reader on real files, and the loosely typed values and
// number reading that the options are built on.

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "failsafe/profile_reader.h"
#include "failsafe/value.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

using namespace std::string_literals;

// One look-up in an options file: what is asked for and what comes back.
struct Lookup {
    const char *section, *key, *defaultValue;
    size_t kept;
    std::string expected;
};

class ProfileReaderTest : public FrameworkTest {
protected:
    // Reads `text` as the options file (none: there is no file) and looks up each of `lookups`.
    void expectLookups(const std::optional<std::string>& text, const std::vector<Lookup>& lookups) {
        std::filesystem::remove(path("FSCLIENT.INI"));
        if (text) writeOptions(*text);
        const ProfileReader reader(path("FSCLIENT.INI"));
        const std::string file = text.value_or("no file");
        EXPECT_EQ(reader.fileExists(), text.has_value()) << file;
        for (const Lookup& l : lookups)
            EXPECT_EQ(reader.get(l.section, l.key, l.defaultValue, l.kept), l.expected)
                << "[" << l.section << "] " << l.key << ", " << l.kept << " kept, in: " << file;
    }
};

// A missing file gives the defaults, cut to the characters kept too; an empty
// or damaged one gives what can be read.
TEST_F(ProfileReaderTest, MissingEmptyOrDamagedFiles) {
    expectLookups(std::nullopt, {{"Log File", "CircularLog", "0", 4, "0"}, {"email", "Address", "", 254, ""},
                                 {"CircularLog", "FileName", "circ0001.log", 127, "circ0001.log"},
                                 {"CircularLog", "FileName", "circ0001.log", 4, "circ"},
                                 {"preferences", "Silent Run", "0", 1, "0"}});
    expectLookups("", {{"include", "Memory", "1", 1, "1"}, {"DefectTracker", "Project", "", 254, ""}});
    std::mt19937 random(20260412);
    std::string garbage(4096, ' ');
    for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
    garbage[100] = garbage[2000] = '\0';
    expectLookups(garbage + "\n[CircularLog]\nRecordSize=256\n" + garbage,
                  {{"CircularLog", "RecordSize", "512", 127, "256"}, {"CircularLog", "MaxRecords", "100", 127, "100"}});
    expectLookups("[email]\nAddress=ab\0cd\n[include]\nMemory=0\n"s,
                  {{"email", "Address", "", 254, "ab"}, {"include", "Memory", "1", 1, "0"}});
    expectLookups("[CircularLog]\nRecordSize=300\nMaxRecords=7",
                  {{"CircularLog", "RecordSize", "512", 127, "300"}, {"CircularLog", "MaxRecords", "100", 127, "7"}});
    expectLookups("[email]\nAddress=a@b.c\n[DefectTrack",
                  {{"email", "Address", "", 254, "a@b.c"}, {"DefectTrack", "Address", "none", 254, "none"}});
    expectLookups("[email]\nAddress=a@b.c\n[DefectTracker\nProject=LUMO\n",
                  {{"DefectTracker", "Project", "none", 254, "none"}, {"email", "Address", "", 254, "a@b.c"}});
    expectLookups("[preferences]\nSilent Run=1\nForce Sys",
                  {{"preferences", "Silent Run", "0", 1, "1"}, {"preferences", "Force System Info", "", 7, ""}});
}

// Sections and keys match in any letter case and with blanks around them,
// not inside; the first matching key wins, sections of one name counting as one.
TEST_F(ProfileReaderTest, MatchingSectionsAndKeys) {
    expectLookups("  [  lOG fILE  ]  \n   wRITE to DISK   =   1   \n\tLog File\t=\terrors.txt\t\n",
                  {{"log file", "Write To Disk", "", 7, "1"}, {"LOG FILE", "LOG FILE", "", 127, "errors.txt"},
                   {"Log File", "write to disk", "", 7, "1"}});
    expectLookups("[log file]\nWrite  To Disk=1\n", {{"log file", "Write To Disk", "dflt", 7, "dflt"},
                                                     {"logfile", "Write  To Disk", "dflt", 7, "dflt"}});
    expectLookups("[email]\nAddress=first@x\naddress=second@x\n", {{"email", "Address", "", 254, "first@x"}});
    expectLookups("[Log File]\nCircularLog=1\nLog File=first.log\n[include]\nMemory=0\n"
                  "[log file]\nLog File=second.log\nWrite To Disk=1\n",
                  {{"log file", "CircularLog", "0", 4, "1"}, {"Log File", "Write To Disk", "", 7, "1"},
                   {"LOG FILE", "Log File", "", 127, "first.log"}});
    expectLookups("[DefectTracker]\nAddress=tracker@x\n", {{"email", "Address", "dflt", 254, "dflt"},
                                                           {"DefectTracker", "Address", "dflt", 254, "tracker@x"}});
    expectLookups("Address=orphan@x\nMemory=0\n[email]\nOther=1\n",
                  {{"email", "Address", "dflt", 254, "dflt"}, {"", "Address", "dflt", 254, "dflt"},
                   {"include", "Memory", "1", 1, "1"}});
    expectLookups("[email]\nAddress\nAddress=real@x\n", {{"email", "Address", "", 254, "real@x"}});
    expectLookups("; a comment\n[email]\n;Address=commented@x\n   ; Address=indented@x\nAddress=real@x\n",
                  {{"email", "Address", "", 254, "real@x"}, {"email", ";Address", "dflt", 254, "dflt"}});
    expectLookups("[DefectTracker]\nProject=LUMO ; audio\n", {{"DefectTracker", "Project", "", 254, "LUMO ; audio"}});
    expectLookups(";[email]\nAddress=x@y\n", {{"email", "Address", "dflt", 254, "dflt"}});
}

// A value is cut to the characters kept (never inside a UTF-8 sequence) after
// one pair of matching quotes is removed; an empty value is no default.
TEST_F(ProfileReaderTest, Values) {
    expectLookups("[log file]\nLog File=\nWrite To Disk=   \n",
                  {{"log file", "Log File", "error.log", 127, ""}, {"log file", "Write To Disk", "1", 7, ""}});
    expectLookups("[preferences]\nSilent Run=10\nForce System Info=123456789\n[email]\nAddress=" +
                      std::string(300, 'a') + "\n",
                  {{"preferences", "Silent Run", "0", 1, "1"}, {"preferences", "Force System Info", "", 7, "1234567"},
                   {"email", "Address", "", 254, std::string(254, 'a')},
                   {"email", "Address", "", 300, std::string(300, 'a')}});
    // "Müller" is M, 0xC3 0xBC, l, l, e, r; "日" is three bytes.
    expectLookups("[DefectTracker]\nAssigned To=M\xC3\xBCller\nProject=ab\xE6\x97\xA5z\n",
                  {{"DefectTracker", "Assigned To", "", 2, "M"}, {"DefectTracker", "Assigned To", "", 3, "M\xC3\xBC"},
                   {"DefectTracker", "Project", "", 3, "ab"}, {"DefectTracker", "Project", "", 4, "ab"},
                   {"DefectTracker", "Project", "", 5, "ab\xE6\x97\xA5"}});
    expectLookups("[DefectTracker]\nDatabase=\"  spaced name  \"\nAddress='single'\nProject=\"mixed'\n"
                  "Assigned To=\"\"inner\"\"\n[email]\nAddress=\"\n",
                  {{"DefectTracker", "Database", "", 254, "  spaced name  "},
                   {"DefectTracker", "Address", "", 254, "single"}, {"DefectTracker", "Project", "", 254, "\"mixed'"},
                   {"DefectTracker", "Assigned To", "", 254, "\"inner\""}, {"email", "Address", "", 254, "\""}});
    expectLookups("[preferences]\nSilent Run=\"1\"\n", {{"preferences", "Silent Run", "0", 1, "1"}});
    expectLookups("[email]\nAddress=a=b=c\n", {{"email", "Address", "", 254, "a=b=c"}});
    expectLookups("[log file]\r\nWrite To Disk=1\r\nLog File=errors.log\r\n[email]\r\nAddress=\r\n",
                  {{"log file", "Write To Disk", "", 7, "1"}, {"log file", "Log File", "", 127, "errors.log"},
                   {"email", "Address", "dflt", 254, ""}});
    expectLookups("\xEF\xBB\xBF[Log File]\r\nCircularLog=1\r\n", {{"Log File", "CircularLog", "0", 4, "1"}});
}

TEST(ValueTest, WhatCountsAsNumericAndItsNumber) {
    const std::nullopt_t no = std::nullopt;
    const std::pair<Value, std::optional<double>> cases[] = {{Value(int32_t{0}), 0.0}, {Value(int32_t{-42}), -42.0},
        {Value(2.5), 2.5}, {Value(0.125), 0.125}, {Value::flag(false), 0.0}, {Value::flag(true), -1.0}, {"12", 12.0},
        {"  -3.25  ", -3.25}, {"+7", 7.0}, {"1e3", 1000.0}, {" 1e3 ", 1000.0}, {"-0.5", -0.5}, {Value(), no},
        {"", no}, {"   ", no}, {"Get", no}, {"12abc", no}, {"1 2", no}, {"-", no}, {"inf", no}, {"nan", no},
        {"seven", no}};
    for (const auto& [value, number] : cases) {
        EXPECT_EQ(value.number(), number) << '"' << value.text() << '"';
        EXPECT_EQ(value.isNumeric(), number.has_value()) << '"' << value.text() << '"';
    }
}

// Half to even, and nothing when out of range or not numeric.
TEST(ValueTest, IntegersRoundHalfToEvenWithinTheirRange) {
    const std::nullopt_t no = std::nullopt;
    const std::pair<Value, std::optional<int16_t>> to16[] = {{Value(0.5), 0}, {Value(1.5), 2}, {Value(2.5), 2},
        {Value(3.5), 4}, {Value(-1.5), -2}, {Value(-2.5), -2}, {Value(2.4999), 2}, {Value(2.5001), 3}, {"2.5", 2},
        {"  7.5 ", 8}, {Value::flag(true), -1}, {Value(int32_t{32767}), 32767}, {Value(32767.4), 32767},
        {Value(32767.5), no}, {Value(int32_t{32768}), no}, {Value(int32_t{-32768}), -32768},
        {Value(-32768.5), -32768}, {Value(-32768.6), no}, {"70000", no}, {"abc", no}, {Value(), no}};
    for (const auto& [value, expected] : to16) EXPECT_EQ(value.toInt16(), expected) << '"' << value.text() << '"';
    const std::pair<Value, std::optional<int32_t>> to32[] = {{Value(70000.5), 70000}, {Value(70001.5), 70002},
        {Value(2147483647.0), std::numeric_limits<int32_t>::max()}, {Value(2147483647.5), no},
        {Value(-2147483648.0), std::numeric_limits<int32_t>::min()}, {Value(-2147483649.0), no}, {"1e10", no}};
    for (const auto& [value, expected] : to32) EXPECT_EQ(value.toInt32(), expected) << '"' << value.text() << '"';
}

// A double given to an option may be NaN or infinite: no integer, and no
// conversion out of range on the way.
TEST(ValueTest, NotANumberAndInfinitiesAreNoInteger) {
    for (const double odd : {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(Value(odd).toInt16()) << odd;
        EXPECT_FALSE(Value(odd).toInt32()) << odd;
    }
}

// The number at the start of a text; an exponent without digits is not part
// of it, and no number at all gives 0.
TEST(LeadingNumberTest, ReadsTheNumberAtTheStartOfAText) {
    const std::pair<const char*, double> cases[] = {{"12abc", 12.0}, {"  -3.5e2x", -350.0}, {"+4", 4.0},
        {"1.25.5", 1.25}, {".5", 0.5}, {"512", 512.0}, {"2E3", 2000.0}, {"1e-2", 0.01}, {"  7  ", 7.0},
        {"5e", 5.0}, {"5ex", 5.0}, {"5e+", 5.0}, {"abc", 0.0}, {"", 0.0}, {"   ", 0.0}, {"-", 0.0}, {".", 0.0},
        {"x12", 0.0}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(leadingNumber(text), expected) << '"' << text << '"';
}

TEST(EqualsIgnoringCaseTest, ComparesAsciiWithoutRegardToCase) {
    EXPECT_TRUE(equalsIgnoringCase("Write To Disk", "wRITE tO dISK"));
    EXPECT_FALSE(equalsIgnoringCase("Write To Disk", "Write To Disk "));
    EXPECT_FALSE(equalsIgnoringCase("Get", "Got"));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
}

}  // namespace
}  // namespace lumo::failsafe::testing
