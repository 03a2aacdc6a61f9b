// The options-file reader on real files, and the loosely typed values and
// number reading that the options are built on.

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "failsafe/profile_reader.h"
#include "failsafe/value.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class ProfileReaderTest : public FrameworkTest {
protected:
    ProfileReader readerOf(const std::string& text) {
        writeOptions(text);
        return ProfileReader(path("FSCLIENT.INI"));
    }
};

// --- Missing, empty, damaged files --------------------------------------

TEST_F(ProfileReaderTest, MissingFileGivesDefaults) {
    const ProfileReader reader(path("FSCLIENT.INI"));
    EXPECT_FALSE(reader.fileExists());
    EXPECT_EQ(reader.get("Log File", "CircularLog", "0", 4), "0");
    EXPECT_EQ(reader.get("CircularLog", "FileName", "circ0001.log", 127), "circ0001.log");
    EXPECT_EQ(reader.get("email", "Address", "", 254), "");
}

TEST_F(ProfileReaderTest, DefaultIsCutToTheKeptCountToo) {
    const ProfileReader reader(path("no-such.ini"));
    EXPECT_EQ(reader.get("CircularLog", "FileName", "circ0001.log", 4), "circ");
    EXPECT_EQ(reader.get("preferences", "Silent Run", "0", 1), "0");
}

TEST_F(ProfileReaderTest, EmptyFileExistsAndGivesDefaults) {
    const ProfileReader reader = readerOf("");
    EXPECT_TRUE(reader.fileExists());
    EXPECT_EQ(reader.get("include", "Memory", "1", 1), "1");
    EXPECT_EQ(reader.get("DefectTracker", "Project", "", 254), "");
}

TEST_F(ProfileReaderTest, BinaryGarbageDoesNotHideTheSectionsAfterIt) {
    std::mt19937 random(20260412);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(random() & 0xFF);
    garbage[100] = '\0';
    garbage[2000] = '\0';
    const ProfileReader reader = readerOf(garbage + "\n[CircularLog]\nRecordSize=256\n" + garbage);
    EXPECT_TRUE(reader.fileExists());
    EXPECT_EQ(reader.get("CircularLog", "RecordSize", "512", 127), "256");
    EXPECT_EQ(reader.get("CircularLog", "MaxRecords", "100", 127), "100");
}

TEST_F(ProfileReaderTest, NulEndsTheReadablePartOfALine) {
    static constexpr char text[] = "[email]\nAddress=ab\0cd\n[include]\nMemory=0\n";
    const ProfileReader reader = readerOf(std::string(text, sizeof text - 1));
    EXPECT_EQ(reader.get("email", "Address", "", 254), "ab");
    EXPECT_EQ(reader.get("include", "Memory", "1", 1), "0");
}

TEST_F(ProfileReaderTest, LastLineWithoutLineEndIsRead) {
    const ProfileReader reader = readerOf("[CircularLog]\nRecordSize=300\nMaxRecords=7");
    EXPECT_EQ(reader.get("CircularLog", "RecordSize", "512", 127), "300");
    EXPECT_EQ(reader.get("CircularLog", "MaxRecords", "100", 127), "7");
}

TEST_F(ProfileReaderTest, SectionHeaderWithoutClosingBracketOpensNoSection) {
    const ProfileReader truncated = readerOf("[email]\nAddress=a@b.c\n[DefectTrack");
    EXPECT_EQ(truncated.get("email", "Address", "", 254), "a@b.c");
    EXPECT_EQ(truncated.get("DefectTrack", "Address", "none", 254), "none");

    const ProfileReader broken = readerOf("[email]\nAddress=a@b.c\n[DefectTracker\nProject=LUMO\n");
    EXPECT_EQ(broken.get("DefectTracker", "Project", "none", 254), "none");
    EXPECT_EQ(broken.get("email", "Address", "", 254), "a@b.c");
}

TEST_F(ProfileReaderTest, FileCutInsideAKeyLine) {
    const ProfileReader reader = readerOf("[preferences]\nSilent Run=1\nForce Sys");
    EXPECT_EQ(reader.get("preferences", "Silent Run", "0", 1), "1");
    EXPECT_EQ(reader.get("preferences", "Force System Info", "", 7), "");
}

// --- Matching sections and keys -----------------------------------------

TEST_F(ProfileReaderTest, SectionsAndKeysMatchInAnyCaseAndWithBlanksAround) {
    const ProfileReader reader = readerOf(
        "  [  lOG fILE  ]  \n"
        "   wRITE to DISK   =   1   \n"
        "\tLog File\t=\terrors.txt\t\n");
    EXPECT_EQ(reader.get("log file", "Write To Disk", "", 7), "1");
    EXPECT_EQ(reader.get("LOG FILE", "LOG FILE", "", 127), "errors.txt");
    EXPECT_EQ(reader.get("Log File", "write to disk", "", 7), "1");
}

TEST_F(ProfileReaderTest, BlanksInsideNamesMustMatch) {
    const ProfileReader reader = readerOf("[log file]\nWrite  To Disk=1\n");
    EXPECT_EQ(reader.get("log file", "Write To Disk", "dflt", 7), "dflt");
    EXPECT_EQ(reader.get("logfile", "Write  To Disk", "dflt", 7), "dflt");
}

TEST_F(ProfileReaderTest, FirstMatchingKeyWins) {
    const ProfileReader reader = readerOf("[email]\nAddress=first@x\naddress=second@x\n");
    EXPECT_EQ(reader.get("email", "Address", "", 254), "first@x");
}

TEST_F(ProfileReaderTest, SectionsOfOneNameInAnyCaseCountAsOneInFileOrder) {
    const ProfileReader reader = readerOf(
        "[Log File]\nCircularLog=1\nLog File=first.log\n"
        "[include]\nMemory=0\n"
        "[log file]\nLog File=second.log\nWrite To Disk=1\n");
    EXPECT_EQ(reader.get("log file", "CircularLog", "0", 4), "1");
    EXPECT_EQ(reader.get("Log File", "Write To Disk", "", 7), "1");
    EXPECT_EQ(reader.get("LOG FILE", "Log File", "", 127), "first.log");
}

TEST_F(ProfileReaderTest, KeyInAnotherSectionIsNotFound) {
    const ProfileReader reader = readerOf("[DefectTracker]\nAddress=tracker@x\n");
    EXPECT_EQ(reader.get("email", "Address", "dflt", 254), "dflt");
    EXPECT_EQ(reader.get("DefectTracker", "Address", "dflt", 254), "tracker@x");
}

TEST_F(ProfileReaderTest, KeysBeforeAnySectionAreIgnored) {
    const ProfileReader reader = readerOf("Address=orphan@x\nMemory=0\n[email]\nOther=1\n");
    EXPECT_EQ(reader.get("email", "Address", "dflt", 254), "dflt");
    EXPECT_EQ(reader.get("", "Address", "dflt", 254), "dflt");
    EXPECT_EQ(reader.get("include", "Memory", "1", 1), "1");
}

TEST_F(ProfileReaderTest, LineWithoutEqualsSignIsNoKey) {
    const ProfileReader reader = readerOf("[email]\nAddress\nAddress=real@x\n");
    EXPECT_EQ(reader.get("email", "Address", "", 254), "real@x");
}

TEST_F(ProfileReaderTest, SemicolonAtLineStartMakesAComment) {
    const ProfileReader reader = readerOf(
        "; a comment\n"
        "[email]\n"
        ";Address=commented@x\n"
        "   ; Address=indented@x\n"
        "Address=real@x\n");
    EXPECT_EQ(reader.get("email", "Address", "", 254), "real@x");
    EXPECT_EQ(reader.get("email", ";Address", "dflt", 254), "dflt");
}

TEST_F(ProfileReaderTest, SemicolonInsideAValueBelongsToTheValue) {
    const ProfileReader reader = readerOf("[DefectTracker]\nProject=LUMO ; audio\n");
    EXPECT_EQ(reader.get("DefectTracker", "Project", "", 254), "LUMO ; audio");
}

TEST_F(ProfileReaderTest, CommentedSectionHeaderDoesNotOpenTheSection) {
    const ProfileReader reader = readerOf(";[email]\nAddress=x@y\n");
    EXPECT_EQ(reader.get("email", "Address", "dflt", 254), "dflt");
}

// --- Values ---------------------------------------------------------------

TEST_F(ProfileReaderTest, EmptyValueIsEmptyNotTheDefault) {
    const ProfileReader reader = readerOf("[log file]\nLog File=\nWrite To Disk=   \n");
    EXPECT_EQ(reader.get("log file", "Log File", "error.log", 127), "");
    EXPECT_EQ(reader.get("log file", "Write To Disk", "1", 7), "");
}

TEST_F(ProfileReaderTest, ValueLongerThanTheKeptCountIsCut) {
    const ProfileReader reader =
        readerOf("[preferences]\nSilent Run=10\nForce System Info=123456789\n[email]\nAddress=" +
                 std::string(300, 'a') + "\n");
    EXPECT_EQ(reader.get("preferences", "Silent Run", "0", 1), "1");
    EXPECT_EQ(reader.get("preferences", "Force System Info", "", 7), "1234567");
    EXPECT_EQ(reader.get("email", "Address", "", 254), std::string(254, 'a'));
    EXPECT_EQ(reader.get("email", "Address", "", 300), std::string(300, 'a'));
}

TEST_F(ProfileReaderTest, CutDoesNotSplitAUtf8Sequence) {
    // "Müller" is M, 0xC3 0xBC, l, l, e, r; "日" is three bytes.
    const ProfileReader reader = readerOf("[DefectTracker]\nAssigned To=M\xC3\xBCller\nProject=ab\xE6\x97\xA5z\n");
    EXPECT_EQ(reader.get("DefectTracker", "Assigned To", "", 2), "M");
    EXPECT_EQ(reader.get("DefectTracker", "Assigned To", "", 3), "M\xC3\xBC");
    EXPECT_EQ(reader.get("DefectTracker", "Project", "", 3), "ab");
    EXPECT_EQ(reader.get("DefectTracker", "Project", "", 4), "ab");
    EXPECT_EQ(reader.get("DefectTracker", "Project", "", 5), "ab\xE6\x97\xA5");
}

TEST_F(ProfileReaderTest, OnePairOfMatchingQuotesIsRemoved) {
    const ProfileReader reader = readerOf(
        "[DefectTracker]\n"
        "Database=\"  spaced name  \"\n"
        "Address='single'\n"
        "Project=\"mixed'\n"
        "Assigned To=\"\"inner\"\"\n"
        "[email]\n"
        "Address=\"\n");
    EXPECT_EQ(reader.get("DefectTracker", "Database", "", 254), "  spaced name  ");
    EXPECT_EQ(reader.get("DefectTracker", "Address", "", 254), "single");
    EXPECT_EQ(reader.get("DefectTracker", "Project", "", 254), "\"mixed'");
    EXPECT_EQ(reader.get("DefectTracker", "Assigned To", "", 254), "\"inner\"");
    EXPECT_EQ(reader.get("email", "Address", "", 254), "\"");
}

TEST_F(ProfileReaderTest, QuotesAreRemovedBeforeTheCut) {
    const ProfileReader reader = readerOf("[preferences]\nSilent Run=\"1\"\n");
    EXPECT_EQ(reader.get("preferences", "Silent Run", "0", 1), "1");
}

TEST_F(ProfileReaderTest, ValueMayHoldEqualsSigns) {
    const ProfileReader reader = readerOf("[email]\nAddress=a=b=c\n");
    EXPECT_EQ(reader.get("email", "Address", "", 254), "a=b=c");
}

TEST_F(ProfileReaderTest, CrLfLineEndsLeaveNoCarriageReturnInNamesOrValues) {
    const ProfileReader reader = readerOf("[log file]\r\nWrite To Disk=1\r\nLog File=errors.log\r\n[email]\r\nAddress=\r\n");
    EXPECT_EQ(reader.get("log file", "Write To Disk", "", 7), "1");
    EXPECT_EQ(reader.get("log file", "Log File", "", 127), "errors.log");
    EXPECT_EQ(reader.get("email", "Address", "dflt", 254), "");
}

TEST_F(ProfileReaderTest, Utf8ByteOrderMarkBeforeTheFirstSectionIsSkipped) {
    const ProfileReader reader = readerOf("\xEF\xBB\xBF[Log File]\r\nCircularLog=1\r\n");
    EXPECT_EQ(reader.get("Log File", "CircularLog", "0", 4), "1");
}

// --- Value ------------------------------------------------------------------

TEST(ValueTest, WhatCountsAsNumeric) {
    EXPECT_TRUE(Value(int32_t{0}).isNumeric());
    EXPECT_TRUE(Value(2.5).isNumeric());
    EXPECT_TRUE(Value::flag(false).isNumeric());
    EXPECT_TRUE(Value("12").isNumeric());
    EXPECT_TRUE(Value("  -3.25  ").isNumeric());
    EXPECT_TRUE(Value("+7").isNumeric());
    EXPECT_TRUE(Value("1e3").isNumeric());

    EXPECT_FALSE(Value().isNumeric());
    EXPECT_FALSE(Value("").isNumeric());
    EXPECT_FALSE(Value("   ").isNumeric());
    EXPECT_FALSE(Value("Get").isNumeric());
    EXPECT_FALSE(Value("12abc").isNumeric());
    EXPECT_FALSE(Value("1 2").isNumeric());
    EXPECT_FALSE(Value("-").isNumeric());
    EXPECT_FALSE(Value("inf").isNumeric());
    EXPECT_FALSE(Value("nan").isNumeric());
}

TEST(ValueTest, NumberOfEachKind) {
    EXPECT_EQ(Value::flag(true).number(), -1.0);
    EXPECT_EQ(Value::flag(false).number(), 0.0);
    EXPECT_EQ(Value(int32_t{-42}).number(), -42.0);
    EXPECT_EQ(Value(0.125).number(), 0.125);
    EXPECT_EQ(Value(" 1e3 ").number(), 1000.0);
    EXPECT_EQ(Value("+7").number(), 7.0);
    EXPECT_EQ(Value("-0.5").number(), -0.5);
    EXPECT_EQ(Value("seven").number(), std::nullopt);
    EXPECT_EQ(Value().number(), std::nullopt);
}

TEST(ValueTest, ToInt16RoundsHalfToEven) {
    EXPECT_EQ(Value(0.5).toInt16(), int16_t{0});
    EXPECT_EQ(Value(1.5).toInt16(), int16_t{2});
    EXPECT_EQ(Value(2.5).toInt16(), int16_t{2});
    EXPECT_EQ(Value(3.5).toInt16(), int16_t{4});
    EXPECT_EQ(Value(-1.5).toInt16(), int16_t{-2});
    EXPECT_EQ(Value(-2.5).toInt16(), int16_t{-2});
    EXPECT_EQ(Value(2.4999).toInt16(), int16_t{2});
    EXPECT_EQ(Value(2.5001).toInt16(), int16_t{3});
    EXPECT_EQ(Value("2.5").toInt16(), int16_t{2});
    EXPECT_EQ(Value("  7.5 ").toInt16(), int16_t{8});
    EXPECT_EQ(Value::flag(true).toInt16(), int16_t{-1});
}

TEST(ValueTest, ToInt16OutOfRangeOrNotNumericGivesNothing) {
    EXPECT_EQ(Value(int32_t{32767}).toInt16(), int16_t{32767});
    EXPECT_EQ(Value(32767.4).toInt16(), int16_t{32767});
    EXPECT_EQ(Value(32767.5).toInt16(), std::nullopt);  // rounds to 32768
    EXPECT_EQ(Value(int32_t{32768}).toInt16(), std::nullopt);
    EXPECT_EQ(Value(int32_t{-32768}).toInt16(), int16_t{-32768});
    EXPECT_EQ(Value(-32768.5).toInt16(), int16_t{-32768});  // half to even stays in range
    EXPECT_EQ(Value(-32768.6).toInt16(), std::nullopt);
    EXPECT_EQ(Value("70000").toInt16(), std::nullopt);
    EXPECT_EQ(Value("abc").toInt16(), std::nullopt);
    EXPECT_EQ(Value().toInt16(), std::nullopt);
}

TEST(ValueTest, ToInt32RoundsHalfToEvenWithinRange) {
    EXPECT_EQ(Value(70000.5).toInt32(), int32_t{70000});
    EXPECT_EQ(Value(70001.5).toInt32(), int32_t{70002});
    EXPECT_EQ(Value(2147483647.0).toInt32(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Value(2147483647.5).toInt32(), std::nullopt);
    EXPECT_EQ(Value(-2147483648.0).toInt32(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Value(-2147483649.0).toInt32(), std::nullopt);
    EXPECT_EQ(Value("1e10").toInt32(), std::nullopt);
}

// --- leadingNumber ------------------------------------------------------

TEST(LeadingNumberTest, ReadsTheNumberAtTheStartOfAText) {
    EXPECT_EQ(leadingNumber("12abc"), 12.0);
    EXPECT_EQ(leadingNumber("  -3.5e2x"), -350.0);
    EXPECT_EQ(leadingNumber("+4"), 4.0);
    EXPECT_EQ(leadingNumber("1.25.5"), 1.25);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("512"), 512.0);
    EXPECT_EQ(leadingNumber("2E3"), 2000.0);
    EXPECT_EQ(leadingNumber("1e-2"), 0.01);
    EXPECT_EQ(leadingNumber("  7  "), 7.0);
}

TEST(LeadingNumberTest, ExponentWithoutDigitsIsNotPartOfTheNumber) {
    EXPECT_EQ(leadingNumber("5e"), 5.0);
    EXPECT_EQ(leadingNumber("5ex"), 5.0);
    EXPECT_EQ(leadingNumber("5e+"), 5.0);
}

TEST(LeadingNumberTest, NoNumberGivesZero) {
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_EQ(leadingNumber(""), 0.0);
    EXPECT_EQ(leadingNumber("   "), 0.0);
    EXPECT_EQ(leadingNumber("-"), 0.0);
    EXPECT_EQ(leadingNumber("."), 0.0);
    EXPECT_EQ(leadingNumber("x12"), 0.0);
}

TEST(EqualsIgnoringCaseTest, ComparesAsciiWithoutRegardToCase) {
    EXPECT_TRUE(equalsIgnoringCase("Write To Disk", "wRITE tO dISK"));
    EXPECT_FALSE(equalsIgnoringCase("Write To Disk", "Write To Disk "));
    EXPECT_FALSE(equalsIgnoringCase("Get", "Got"));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
}

}  // namespace
}  // namespace lumo::failsafe::testing
