#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>

#include "failsafe/mail_delivery.h"
#include "mail_parsing.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A file's bytes that a careless encoding would change: CR LF and bare LF,
// a NUL, 8-bit text, a line like a boundary, trailing blanks, a long line.
std::string awkwardBytes() {
    std::string bytes = "line one\r\nbare LF\nNUL here:";
    bytes.push_back('\0');
    bytes += "\r\nK\xC3\xB6ln \xE2\x82\xAC\r\n--=_FailSafe_x\r\nFrom the start  \r\n";
    bytes += std::string(300, 'x') + "\r\n.\r\n";
    return bytes;
}

MailMessage sampleMessage() {
    MailMessage message;
    message.recipient = "support@example.org";
    message.subject = "Remote Error Report From LUMOAudioPlayer";
    message.text = "FailSafe reports error 11 (Division by zero) occurred in LUMOAudioPlayer.\r\n"
                   "A line of trailing blanks   \r\n" + std::string(200, '=') + "\r\nlast line";
    message.messageType = "IPM.";
    message.attachments.push_back({"fserror.log", awkwardBytes()});
    return message;
}

mode_t modeOf(const fs::path& path) {
    struct stat info{};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::exists(folder))
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    return files;
}

void writeScript(const fs::path& file, const std::string& body) {
    std::ofstream(file) << "#!/bin/sh\n" << body;
    fs::permissions(file, fs::perms::owner_all);
}

class MailDeliveryTest : public FrameworkTest {
protected:
    fs::path outbox() const { return path("outbox"); }
    DeliveryOptions withoutSendmail() const {
        DeliveryOptions options;
        options.findSendmail = [] { return std::optional<fs::path>(); };
        options.fallbackOutbox = path("fallback") / "outbox";
        return options;
    }
    // A fake sendmail first on the search path, as a user would install one.
    void installSendmail(const std::string& body) {
        fs::create_directories(path("bin"));
        writeScript(path("bin") / "sendmail", body);
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (path("bin").string() + ":" + *savedPath_).c_str(), 1);
    }
    void TearDown() override {
        if (savedPath_) ::setenv("PATH", savedPath_->c_str(), 1);
        FrameworkTest::TearDown();
    }

private:
    std::optional<std::string> savedPath_;
};

TEST_F(MailDeliveryTest, WithoutSendmailTheMessageIsAPrivateEmlFileThatReadsBackWhole) {
    const DeliveryResult result = deliverMail(sampleMessage(), outbox(), withoutSendmail());
    EXPECT_FALSE(result.sent);
    EXPECT_EQ(result.problem, "");
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(filesIn(outbox()), std::vector<fs::path>{*result.kept});
    EXPECT_EQ(result.kept->extension(), ".eml");
    EXPECT_EQ(modeOf(*result.kept), 0600u);
    EXPECT_EQ(modeOf(outbox()), 0700u);

    const ParsedMail mail = parseMail(readFile(*result.kept));
    EXPECT_EQ(mail.headerNames.front(), "X-Unsent");  // mail programs open it as a draft
    EXPECT_EQ(mail.headers.at("to"), "support@example.org");
    EXPECT_EQ(mail.headers.at("subject"), "Remote Error Report From LUMOAudioPlayer");
    EXPECT_EQ(mail.headers.at("x-message-type"), "IPM.");
    EXPECT_EQ(mail.headers.at("mime-version"), "1.0");
    EXPECT_TRUE(mail.headers.contains("date"));
    EXPECT_NE(mail.headers.at("from").find('@'), std::string::npos);
    EXPECT_EQ(mail.text, sampleMessage().text);
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].headers.at("content-disposition"), "attachment; filename=\"fserror.log\"");
    EXPECT_EQ(mail.attachments[0].body, awkwardBytes());
    for (const std::string& line : crlfLines(readFile(*result.kept))) EXPECT_LE(line.size(), 78u) << line;
}

TEST_F(MailDeliveryTest, HeaderTextsCannotAddHeadersAndKeepTheirCharacters) {
    MailMessage message = sampleMessage();
    message.recipient = "support@example.org\r\nBcc: someone@example.org";
    message.subject = "FailSafe New Defect [K\xC3\xB6lner Fehlerdatenbank \xE2\x82\xAC " + std::string(60, 'x') + "]";
    message.attachments.clear();
    const DeliveryResult result = deliverMail(message, outbox(), withoutSendmail());
    ASSERT_TRUE(result.kept);
    const ParsedMail mail = parseMail(readFile(*result.kept));
    EXPECT_FALSE(mail.headers.contains("bcc"));
    EXPECT_EQ(mail.headers.at("to"), "support@example.org  Bcc: someone@example.org");
    EXPECT_EQ(mail.headers.at("subject"), message.subject);
    EXPECT_EQ(mail.text, message.text);
    EXPECT_TRUE(mail.attachments.empty());
}

TEST_F(MailDeliveryTest, SendmailGetsTheRecipientAsAnArgumentAndTheMessageOnItsInput) {
    installSendmail("printf '%s\\n' \"$@\" > \"$0.args\"\ncat > \"$0.input\"\n");
    MailMessage message = sampleMessage();
    message.recipient = "-oQ/tmp/x support@example.org; rm -rf ~";  // neither an option nor a command
    const DeliveryResult result = deliverMail(message, outbox());
    EXPECT_TRUE(result.sent);
    EXPECT_EQ(result.problem, "");
    EXPECT_FALSE(result.kept);
    EXPECT_TRUE(filesIn(outbox()).empty());  // sent: nothing left behind
    EXPECT_EQ(readFile(path("bin") / "sendmail.args"), "-i\n--\n-oQ/tmp/x support@example.org; rm -rf ~\n");

    std::string input = readFile(path("bin") / "sendmail.input");
    EXPECT_EQ(input.find('\r'), std::string::npos);  // sendmail's own line ends
    std::string crlf;
    for (const char c : input) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const ParsedMail mail = parseMail(crlf);
    EXPECT_FALSE(mail.headers.contains("x-unsent"));
    EXPECT_EQ(mail.headers.at("subject"), message.subject);
    EXPECT_EQ(mail.text, message.text);
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].body, awkwardBytes());
}

TEST_F(MailDeliveryTest, WhatSendmailRefusesOrCannotTakeStaysInTheOutbox) {
    installSendmail("cat > /dev/null\nexit 75\n");
    DeliveryResult result = deliverMail(sampleMessage(), outbox());
    EXPECT_FALSE(result.sent);
    ASSERT_TRUE(result.kept);
    EXPECT_TRUE(fs::exists(*result.kept));
    EXPECT_NE(result.problem.find("exited with 75"), std::string::npos) << result.problem;
    EXPECT_NE(result.problem.find("stays in " + result.kept->string()), std::string::npos) << result.problem;

    DeliveryOptions missing;
    missing.findSendmail = [this] { return std::optional<fs::path>(path("no-such-sendmail")); };
    result = deliverMail(sampleMessage(), outbox(), missing);
    EXPECT_FALSE(result.sent);
    ASSERT_TRUE(result.kept);
    EXPECT_NE(result.problem.find("cannot start"), std::string::npos) << result.problem;
}

TEST_F(MailDeliveryTest, ASendmailThatNeverFinishesIsStoppedAndTheMessageKept) {
    // It never reads its input either: a message larger than any socket buffer.
    installSendmail("echo $$ > \"$0.pid\"\nexec sleep 100000\n");
    MailMessage message = sampleMessage();
    message.attachments[0].content = std::string(4 << 20, 'L');
    DeliveryOptions options;
    options.timeout = 300ms;
    const DeliveryResult result = deliverMail(message, outbox(), options);
    EXPECT_FALSE(result.sent);
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(parseMail(readFile(*result.kept)).attachments.at(0).body, message.attachments[0].content);
    EXPECT_NE(result.problem.find("did not finish"), std::string::npos) << result.problem;
    // Killed and reaped, not left running (when it got as far as saying who it was).
    const std::string helper = readFile(path("bin") / "sendmail.pid");
    if (!helper.empty()) {
        EXPECT_EQ(::kill(std::stoi(helper), 0), -1);
        EXPECT_EQ(errno, ESRCH);
    }
}

TEST_F(MailDeliveryTest, AnOutboxThatCannotBeMadeFallsBackAndSaysSo) {
    std::ofstream(outbox()) << "a file where the folder should be";
    DeliveryResult result = deliverMail(sampleMessage(), outbox(), withoutSendmail());
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(result.kept->parent_path(), path("fallback") / "outbox");
    EXPECT_EQ(modeOf(path("fallback") / "outbox"), 0700u);
    EXPECT_EQ(parseMail(readFile(*result.kept)).attachments.at(0).body, awkwardBytes());
    EXPECT_NE(result.problem.find("cannot create the outbox " + outbox().string()), std::string::npos)
        << result.problem;
    EXPECT_NE(result.problem.find("stays in " + result.kept->string()), std::string::npos) << result.problem;

    DeliveryOptions nowhere = withoutSendmail();
    nowhere.fallbackOutbox.reset();
    result = deliverMail(sampleMessage(), outbox(), nowhere);
    EXPECT_FALSE(result.kept);
    EXPECT_NE(result.problem.find("the message to support@example.org is lost"), std::string::npos)
        << result.problem;
}

}  // namespace
}  // namespace lumo::failsafe::testing
