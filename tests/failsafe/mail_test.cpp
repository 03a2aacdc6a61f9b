// The mail an error sends: the reports the error entry makes, and their
// delivery through sendmail or into the outbox, read back as a recipient would.
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>

#include "failsafe/mail_delivery.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

std::string decodeBase64(std::string_view text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        if (alphabet.find(c) == std::string::npos) continue;
        group = (group << 6) | static_cast<uint32_t>(alphabet.find(c));
        if ((bits += 6) >= 8) out.push_back(static_cast<char>((group >> (bits -= 8)) & 0xFF));
    }
    return out;
}

// The body of the part whose headers contain `marker`, decoded.
std::string partAfter(const std::string& mail, const std::string& marker) {
    const size_t start = mail.find("\r\n\r\n", mail.find(marker)) + 4;
    const std::string body = mail.substr(start, mail.find("\r\n--", start) - start);
    if (marker.find("filename") != std::string::npos) return decodeBase64(body);
    std::string out;  // quoted-printable
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '=') out.push_back(body[i]);
        else if (body.compare(i + 1, 2, "\r\n") == 0) i += 2;  // a soft line break
        else out.push_back(static_cast<char>(std::stoi(body.substr(i + 1, 2), nullptr, 16))), i += 2;
    }
    return out;
}

// A header's value, encoded words decoded.
std::string header(const std::string& mail, const std::string& name) {
    const size_t at = mail.find("\r\n" + name + ": ") + name.size() + 4;
    std::string value = mail.substr(at, mail.find("\r\n", at) - at);
    for (size_t next = mail.find("\r\n", at); mail[next + 2] == ' '; next = mail.find("\r\n", next + 2))
        value += mail.substr(next + 2, mail.find("\r\n", next + 2) - next - 2);
    if (!value.starts_with("=?UTF-8?B?")) return value;
    std::string decoded;
    for (size_t word = value.find("=?UTF-8?B?"); word != std::string::npos; word = value.find("=?UTF-8?B?", word + 1))
        decoded += decodeBase64(value.substr(word + 10, value.find("?=", word + 10) - word - 10));
    return decoded;
}

mode_t modeOf(const fs::path& path) {
    struct stat info{};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Bytes a careless encoding would change: CR LF and bare LF, a NUL, 8-bit
// text, a line like a boundary, trailing blanks, a long line, a lone dot.
const std::string awkward = "line one\r\nbare LF\nNUL:"s + '\0' + "\r\nK\xC3\xB6ln \xE2\x82\xAC\r\n--=_FailSafe_x\r\n"
                            "From the start  \r\n" + std::string(300, 'x') + "\r\n.\r\n";

MailMessage sample() {
    return {"support@example.org", "Remote Error Report From LUMOAudioPlayer",
            "FailSafe reports error 11.\r\nTrailing blanks   \r\n" + std::string(200, '=') + "\r\nlast line", "IPM.",
            {{"fserror.log", awkward}}};
}

class MailTest : public FrameworkTest {
protected:
    std::vector<std::pair<MailMessage, fs::path>> sent;
    std::optional<std::string> savedPath;
    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setMailSender([this](const MailMessage& message, const fs::path& outbox) {
            sent.emplace_back(message, outbox);
            return DeliveryResult{};
        });
        fs->setDefectFactsProvider([] { DefectFacts facts; facts.machineName = "studio"; return facts; });
    }
    void TearDown() override {
        if (savedPath) ::setenv("PATH", savedPath->c_str(), 1);
        FrameworkTest::TearDown();
    }
    void failInDoNext(const std::string& options) {
        writeOptions("[log file]\nWrite To Disk=1\nLog File=errors.log\n" + options);
        fsPUSH("cLUMOAudio", "Sub DoNext", "");
        Err().set(RuntimeError(11, "Division by zero", "LUMOAudioPlayer"), 42);
        fsERROR("cLUMOAudio", "Sub DoNext");
    }
    DeliveryOptions withoutSendmail() const {
        DeliveryOptions options;
        options.findSendmail = [] { return std::optional<fs::path>(); };
        options.fallbackOutbox = path("fallback");
        return options;
    }
    // A fake sendmail first on the search path, as a user would install one.
    void installSendmail(const std::string& body) {
        fs::create_directories(path("bin"));
        std::ofstream(path("bin/sendmail")) << "#!/bin/sh\n" << body;
        fs::permissions(path("bin/sendmail"), fs::perms::owner_all);
        savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (path("bin").string() + ":" + *savedPath).c_str(), 1);
    }
};

TEST_F(MailTest, TheErrorEntryMailsTheDefectReportFirstAndTheLogReportAfter) {
    failInDoNext("[email]\nAddress=support@example.org\n[DefectTracker]\nDatabase=LUMO Defects\n"
                 "Address=defects@example.org\n[Log File]\nCircularLog=1\n");
    ASSERT_EQ(sent.size(), 2u);
    const MailMessage &defect = sent[0].first, &remote = sent[1].first;
    EXPECT_EQ(defect.recipient + "|" + defect.subject, "defects@example.org|FailSafe New Defect [LUMO Defects]");
    const std::vector<std::string> lines = crlfLines(defect.text);
    for (const char* line : {"LUMOAudioPlayer (local) : cLUMOAudio : Sub DoNext : 42 : 11", "studio",
                             "Description- Division by zero"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << " in " << defect.text;
    ASSERT_EQ(defect.attachments.size(), 1u);
    EXPECT_EQ(defect.attachments[0].name, "CircularTrace.log");
    EXPECT_EQ(defect.attachments[0].content, bytesOf(path("circ0001.log")));
    EXPECT_EQ(remote.recipient + "|" + remote.subject, "support@example.org|Remote Error Report From LUMOAudioPlayer");
    ASSERT_EQ(remote.attachments.size(), 1u);
    EXPECT_EQ(remote.attachments[0].name, "fserror.log");
    EXPECT_EQ(remote.attachments[0].content, bytesOf(path("errors.log")));  // the log's report, written after
    EXPECT_EQ(sent[1].second, path("outbox"));                               // beside the log
    EXPECT_FALSE(fs::exists(path("!error!.log")));

    sent.clear();
    fsOPTION(31, Value::flag(false));  // Attach Log off; an error without description is a new defect
    fsOPTION(4, Value(""));
    Err().set(RuntimeError(32100, " "), 0);
    Err().description.clear();
    fsERROR("cLUMOAudio", "Sub DoNext");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].first.attachments.empty());
    EXPECT_NE(sent[0].first.text.find("SYNOPSIS:\r\nNew Defect\r\n"), std::string::npos) << sent[0].first.text;
}

// No sendmail: a private draft in a private outbox, whole, that cannot grow headers.
TEST_F(MailTest, WithoutSendmailTheMessageIsAPrivateEmlThatReadsBackWhole) {
    MailMessage message = sample();
    message.recipient = "support@example.org\r\nBcc: someone@example.org";
    message.subject = "FailSafe New Defect [K\xC3\xB6lner Fehlerdatenbank \xE2\x82\xAC " + std::string(60, 'x') + "]";
    const DeliveryResult result = deliverMail(message, path("outbox"), withoutSendmail());
    EXPECT_FALSE(result.sent);
    EXPECT_EQ(result.problem, "");
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(result.kept->parent_path(), path("outbox"));
    EXPECT_EQ(result.kept->extension(), ".eml");
    EXPECT_EQ(modeOf(*result.kept), 0600u);
    EXPECT_EQ(modeOf(path("outbox")), 0700u);
    const std::string mail = bytesOf(*result.kept);
    EXPECT_TRUE(mail.starts_with("X-Unsent: 1\r\n"));  // mail programs open it as a draft
    EXPECT_EQ(mail.find("\r\nBcc:"), std::string::npos);
    EXPECT_EQ(header(mail, "To"), "support@example.org  Bcc: someone@example.org");
    EXPECT_EQ(header(mail, "Subject"), message.subject);
    EXPECT_EQ(partAfter(mail, "quoted-printable"), message.text);
    EXPECT_EQ(partAfter(mail, "filename=\"fserror.log\""), awkward);
    for (const std::string& line : crlfLines(mail.substr(mail.find("\r\n\r\n")))) EXPECT_LE(line.size(), 78u) << line;
    message.attachments.clear();  // a message of its text alone
    EXPECT_EQ(partAfter(bytesOf(*deliverMail(message, path("outbox"), withoutSendmail()).kept), "quoted-printable"),
              message.text + "\r\n");
}

TEST_F(MailTest, SendmailGetsTheRecipientAsAnArgumentAndTheMessageOnItsInput) {
    installSendmail("printf '%s\\n' \"$@\" > \"$0.args\"\ncat > \"$0.input\"\n");
    MailMessage message = sample();
    message.recipient = "-oQ/tmp/x support@example.org; rm -rf ~";  // neither an option nor a command
    const DeliveryResult result = deliverMail(message, path("outbox"));
    EXPECT_TRUE(result.sent);
    EXPECT_FALSE(result.kept);
    EXPECT_TRUE(fs::is_empty(path("outbox")));  // sent: nothing left behind
    EXPECT_EQ(bytesOf(path("bin/sendmail.args")), "-i\n--\n-oQ/tmp/x support@example.org; rm -rf ~\n");
    std::string mail;
    for (const char c : bytesOf(path("bin/sendmail.input"))) mail += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(mail.find("\r\r"), std::string::npos);  // sendmail's own line ends
    EXPECT_EQ(mail.find("X-Unsent"), std::string::npos);
    EXPECT_EQ(partAfter(mail, "filename=\"fserror.log\""), awkward);
}

// Refused, not startable or never finishing: the message stays in the outbox and the log says why.
TEST_F(MailTest, WhatSendmailDoesNotTakeStaysInTheOutbox) {
    installSendmail("[ -e \"$0.hang\" ] && { echo $$ > \"$0.pid\"; exec sleep 100000; }\ncat > /dev/null\nexit 75\n");
    DeliveryResult result = deliverMail(sample(), path("outbox"));
    ASSERT_TRUE(result.kept && fs::exists(*result.kept));
    EXPECT_NE(result.problem.find("exited with 75"), std::string::npos) << result.problem;
    EXPECT_NE(result.problem.find("stays in " + result.kept->string()), std::string::npos) << result.problem;

    DeliveryOptions missing;
    missing.findSendmail = [this] { return std::optional<fs::path>(path("no-such-sendmail")); };
    result = deliverMail(sample(), path("outbox"), missing);
    ASSERT_TRUE(result.kept);
    EXPECT_NE(result.problem.find("cannot start"), std::string::npos) << result.problem;

    std::ofstream(path("bin/sendmail.hang"));  // never reads its input: a message larger than any socket buffer
    MailMessage large = sample();
    large.attachments[0].content = std::string(4 << 20, 'L');
    DeliveryOptions options;
    options.timeout = 300ms;
    result = deliverMail(large, path("outbox"), options);
    EXPECT_FALSE(result.sent);
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(partAfter(bytesOf(*result.kept), "filename=\"fserror.log\""), large.attachments[0].content);
    EXPECT_NE(result.problem.find("did not finish"), std::string::npos) << result.problem;
    const std::string helper = bytesOf(path("bin/sendmail.pid"));
    if (!helper.empty()) {
        EXPECT_TRUE(::kill(std::stoi(helper), 0) == -1 && errno == ESRCH) << "killed and reaped";
    }
}

TEST_F(MailTest, AnOutboxThatCannotBeMadeFallsBackOrIsLoggedAsLost) {
    std::ofstream(path("outbox")) << "a file where the folder should be";
    DeliveryResult result = deliverMail(sample(), path("outbox"), withoutSendmail());
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(result.kept->parent_path(), path("fallback"));
    EXPECT_NE(result.problem.find("cannot create the outbox " + path("outbox").string()), std::string::npos);

    fs->setMailSender([](const MailMessage& message, const fs::path& outbox) {
        DeliveryOptions options;
        options.findSendmail = [] { return std::optional<fs::path>(); };
        options.fallbackOutbox.reset();
        return deliverMail(message, outbox, options);
    });
    failInDoNext("[email]\nAddress=support@example.org\n");
    fsPOP("cLUMOAudio", "Sub DoNext", "");
    EXPECT_EQ(fs->depth(), 0);
    const std::string log = bytesOf(path("errors.log"));
    EXPECT_NE(log.find("12-04-2026 05:30:00 FailSafe mail: cannot create the outbox " + path("outbox").string()),
              std::string::npos) << log;
    EXPECT_NE(log.find("the message to support@example.org is lost\r\n"), std::string::npos) << log;
    EXPECT_TRUE(ui->boxes.empty());
}

}  // namespace
}  // namespace lumo::failsafe::testing
