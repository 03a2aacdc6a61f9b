// Formatters, message boxes with their log lines, and the error log.
#include <cmath>
#include <cstdlib>
#include <regex>

#include "common/formatting.h"
#include "common/message_boxes.h"
#include "platform/user_settings.h"
#include "tests/failsafe/test_support.h"

namespace lumo::common {
namespace {

using failsafe::testing::FrameworkTest;
using failsafe::testing::readFile;
namespace box = failsafe::box;

TEST(Formatting, PositionsVersionsAndErrorItems) {
    failsafe::ScopedFramework fs;
    const std::vector<std::pair<double, std::string>> positions = {
        {0, "00:00:00"},      {75, "00:01:15"},     {3725.2, "01:02:05"},   {40000, "11:06:40"},
        {360000, "100:00:00"}, {59.5, "00:01:00"},  {58.5, "00:00:58"},     {-4, "00:00:00"},
        {std::nan(""), "00:00:00"}, {1e300, ""},  // too large: the procedure leaves with no text
    };
    for (const auto& [seconds, text] : positions) EXPECT_EQ(FormatPosition(seconds), text) << seconds;

    EXPECT_EQ(formatAppVersion(1, 5, 7), "1.05.0007");
    EXPECT_EQ(formatAppVersion(1, 10, 120), "1.10.0120");
    EXPECT_EQ(formatAppVersion(3, 12, 4567), "3.12.4567");
    EXPECT_EQ(formatAppVersion(1, 0, 91), "1.00.0091");

    platform::ErrorItem item{4, "file:///music/gone.flac", -1072885353, "filesrc", "Resource not found"};
    EXPECT_EQ(GetErrorItemString(item),
              "Error Condition: 4\rCustom Url: file:///music/gone.flac\rError Code: -1072885353\r"
              "Error Context: filesrc\rError Description: Resource not found\r");
    EXPECT_EQ(GetErrorItemString({0, "", -5, "", ""}), "Error Condition: 0\rError Code: -5\r");
}

class MessageBoxTest : public FrameworkTest {
protected:
    std::filesystem::path home;
    void SetUp() override {
        FrameworkTest::SetUp();
        home = folder / "home";
        std::filesystem::create_directories(home);
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        failsafe::fsOPTION(16, failsafe::Value((folder / "LUMOAudioErrors.log").string()));
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
    }
    // The log's lines with the leading date and time replaced by "<now>".
    std::vector<std::string> logged() {
        std::vector<std::string> lines;
        const std::regex stamp(R"(^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d )");
        for (const std::string& line : failsafe::testing::crlfLines(readFile(folder / "LUMOAudioErrors.log")))
            lines.push_back(std::regex_replace(line, stamp, "<now> "));
        return lines;
    }
};

TEST_F(MessageBoxTest, LoggingLevelDecidesWhichBoxesAreNoted) {
    // No setting: level 2, only boxes of style exactly 16.
    ui->answers = {box::Ok, box::Ok, box::No};
    SubMsgBox("Information only", box::Information, "LUMO");
    SubMsgBox("Cannot find selected CDROM Drive 'E:'.", box::Critical, "Check Playlist");
    EXPECT_EQ(FunMsgBox("Critical with Yes and No", box::Critical | box::YesNo, "LUMO"), box::No);
    EXPECT_EQ(logged(), std::vector<std::string>{"<now> MBLOG CRITICAL Cannot find selected CDROM Drive 'E:'."});
    ASSERT_EQ(ui->boxes.size(), 3u);
    EXPECT_EQ(ui->boxes[1].title, "Check Playlist");

    platform::writeSetting("LUMO Player", "Settings", "MBLog", "3");
    ui->answers = {box::No};
    EXPECT_EQ(FunMsgBox("Use this playlist?\rIt is empty.", box::YesNo | box::Question, "Select"), box::No);
    EXPECT_EQ(logged().back(), "<now> MBLOG ALL Use this playlist?\rIt is empty. MB Answer: 7");

    const std::vector<std::pair<std::string, int32_t>> levels = {
        {"1", 1}, {"1.0", 1}, {"3", 3}, {"2", 2}, {"", 2}, {"abc", 2}, {"4", 2}, {" 3 ", 3}};
    for (const auto& [stored, level] : levels) {
        platform::writeSetting("LUMO Player", "Settings", "MBLog", stored);
        EXPECT_EQ(GetOptionMBLog(), level) << stored;
    }
    const size_t before = logged().size();
    SubMsgBox("Logged at level 3", box::Critical, "LUMO");  // " 3 " is still the number 3
    EXPECT_EQ(logged().back(), "<now> MBLOG ALL Logged at level 3");
    EXPECT_EQ(logged().size(), before + 1);
    platform::writeSetting("LUMO Player", "Settings", "MBLog", "1");
    SubMsgBox("Level 1 logs nothing", box::Critical, "LUMO");
    EXPECT_EQ(logged().size(), before + 1);
}

TEST_F(MessageBoxTest, CaughtErrorsAreLoggedWhereTheyHappened) {
    installErrorLog();
    {
        failsafe::Procedure proc("cLUMOAudio", "Property (Let) Volume", failsafe::LogAndClear{"cLUMOAudio.Volume (Let)"});
        proc.step([] { throw failsafe::RuntimeError(-1072885353, "Can't use 'balance' here"); });
    }
    LogError("frmAudioPlayer.Load", 0, 91, "Object variable or With block variable not set");
    const std::vector<std::string> lines = logged();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex(R"(<now> LAP LOG ERROR: cLUMOAudio\.Volume \(Let\) Erl=\d+ Error Number=-1072885353 'Can't use 'balance' here')")))
        << lines[0];
    EXPECT_EQ(lines[1], "<now> LAP LOG ERROR: frmAudioPlayer.Load Erl=0 Error Number=91 "
                        "'Object variable or With block variable not set'");
    // With the log switched off nothing is written.
    failsafe::fsOPTION(23, failsafe::Value::flag(false));
    LogError("frmAudioPlayer.Load", 0, 91, "again");
    EXPECT_EQ(logged().size(), 2u);
}

}  // namespace
}  // namespace lumo::common
