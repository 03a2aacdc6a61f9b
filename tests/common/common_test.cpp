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

namespace box = failsafe::box;

TEST(Formatting, PositionsVersionsAndErrorItems) {
    failsafe::ScopedFramework fs;
    const std::pair<double, std::string> positions[] = {{3725.2, "01:02:05"}, {360000, "100:00:00"}, {59.5, "00:01:00"},
        {58.5, "00:00:58"}, {-4, "00:00:00"}, {std::nan(""), "00:00:00"},
        {1e300, ""}};  // too large: the procedure leaves with no text
    for (const auto& [seconds, text] : positions) EXPECT_EQ(FormatPosition(seconds), text) << seconds;
    EXPECT_EQ(formatAppVersion(1, 5, 7) + " " + formatAppVersion(3, 12, 4567), "1.05.0007 3.12.4567");
    EXPECT_EQ(GetErrorItemString({4, "file:///gone.flac", -1072885353, "filesrc", "Resource not found"}),
              "Error Condition: 4\rCustom Url: file:///gone.flac\rError Code: -1072885353\r"
              "Error Context: filesrc\rError Description: Resource not found\r");
    EXPECT_EQ(GetErrorItemString({0, "", -5, "", ""}), "Error Condition: 0\rError Code: -5\r");
}

class MessageBoxTest : public failsafe::testing::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        std::filesystem::create_directories(folder / "home");
        ::setenv("HOME", (folder / "home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        failsafe::fsOPTION(16, failsafe::Value((folder / "errors.log").string()));
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
    }
    std::vector<std::string> logged() {  // the leading date and time as "<now>"
        std::vector<std::string> lines;
        for (const std::string& line : failsafe::testing::crlfLines(failsafe::testing::bytesOf(folder / "errors.log")))
            lines.push_back(std::regex_replace(line, std::regex(R"(^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d )"), "<now> "));
        return lines;
    }
};

// No setting: level 2, only boxes of style exactly 16; level 3 every box with its answer; level 1 none.
TEST_F(MessageBoxTest, TheLoggingLevelDecidesWhichBoxesAreNoted) {
    ui->answers = {box::Ok, box::Ok, box::No, box::No};
    SubMsgBox("Information only", box::Information, "LUMO");
    SubMsgBox("Cannot find selected CDROM Drive 'E:'.", box::Critical, "Check Playlist");
    EXPECT_EQ(FunMsgBox("Critical with Yes and No", box::Critical | box::YesNo, "LUMO"), box::No);
    platform::writeSetting("LUMO Player", "Settings", "MBLog", " 3 ");
    EXPECT_EQ(FunMsgBox("Use this playlist?\rIt is empty.", box::YesNo | box::Question, "Select"), box::No);
    platform::writeSetting("LUMO Player", "Settings", "MBLog", "1");
    SubMsgBox("Level 1 logs nothing", box::Critical, "LUMO");
    EXPECT_EQ(logged(), (std::vector<std::string>{"<now> MBLOG CRITICAL Cannot find selected CDROM Drive 'E:'.",
                                                  "<now> MBLOG ALL Use this playlist?\rIt is empty. MB Answer: 7"}));
    EXPECT_EQ(ui->boxes.size(), 5u);
    for (const auto& [stored, level] : {std::pair{"1.0", 1}, {"", 2}, {"abc", 2}, {"4", 2}}) {
        platform::writeSetting("LUMO Player", "Settings", "MBLog", stored);
        EXPECT_EQ(GetOptionMBLog(), level) << stored;
    }
}

TEST_F(MessageBoxTest, CaughtErrorsAreLoggedWhereTheyHappened) {
    installErrorLog();
    {
        failsafe::Procedure proc("cLUMOAudio", "Property (Let) Volume", failsafe::LogAndClear{"cLUMOAudio.Volume (Let)"});
        proc.step([] { throw failsafe::RuntimeError(-1072885353, "Can't use 'balance' here"); });
    }
    LogError("frmAudioPlayer.Load", 0, 91, "Object variable not set");
    failsafe::fsOPTION(23, failsafe::Value::flag(false));  // the log switched off
    LogError("frmAudioPlayer.Load", 0, 91, "again");
    const std::vector<std::string> lines = logged();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(<now> LAP LOG ERROR: cLUMOAudio\.Volume \(Let\) Erl=\d+ )"
                                                      R"(Error Number=-1072885353 'Can't use 'balance' here')")))
        << lines[0];
    EXPECT_EQ(lines[1], "<now> LAP LOG ERROR: frmAudioPlayer.Load Erl=0 Error Number=91 'Object variable not set'");
}

}  // namespace
}  // namespace lumo::common
