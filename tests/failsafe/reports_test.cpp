// The reports an error makes: the system information report from facts a
// test sets, and the mail the error entry sends through sendmail or into the
// outbox, read back as a recipient would.
#include <signal.h>

#include <cstdlib>

#include "failsafe/mail/mail_delivery.h"
#include "failsafe/mail/mail_reports.h"
#include "failsafe/system/system_report.h"
#include "failsafe/system/system_values.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

// A plausible machine with a display; times as UTC so that the texts hold in every zone.
class FakeFacts final : public SystemFacts {
public:
    std::optional<MemoryFacts> memoryFacts = MemoryFacts{8ull << 30, 3ull << 30, 140737488351232ull, 140737000000000ull};
    std::optional<ProcessorFacts> processorFacts = ProcessorFacts{"GenuineIntel", 6, 8, 1, "Pentium III", "i686"};
    std::optional<DisplayFacts> displayFacts = DisplayFacts{24, 1920, 1080, 2, true, 5, true, "MX Master 3", ""};
    LocaleFacts localeFacts{"English", false, false, ",", ".", true};
    std::vector<DriveFacts> driveFacts{{'C', DriveKind::Fixed, 52428800000ull}};
    std::optional<FileFacts> fileFacts = FileFacts{1234567, 1700000000, 1690000000};
    std::string computerName() override { return "studio-pc"; }
    std::optional<KernelFacts> kernel() override { return KernelFacts{"Linux", "6.1.0-18-amd64", "Debian 12"}; }
    std::optional<MemoryFacts> memory() override { return memoryFacts; }
    std::optional<ProcessorFacts> processor() override { return processorFacts; }
    int processorCount() override { return 4; }
    std::optional<DisplayFacts> display() override { return displayFacts; }
    LocaleFacts locale() override { return localeFacts; }
    std::vector<DriveFacts> drives() override { return driveFacts; }
    std::string defaultPrinter() override { return ""; }
    std::string currentFolder() override { return "/home/ann"; }
    bool otherInstanceRuns(const fs::path&) override { return false; }
    std::vector<std::string> loadedModules() override { return {"/usr/bin/host"}; }
    std::optional<FileFacts> file(const fs::path&) override { return fileFacts; }
    std::tm localTime(std::time_t time) override {
        std::tm utc{};
        gmtime_r(&time, &utc);
        return utc;
    }
};

const ProgramInfo library{"/opt/lumo", "libLUMOAudioPlayer.so", "LUMOAudioPlayer", "LUMOAudioPlayer", 2, 1, 7};

// The line that starts with `label`, without the label.
std::string valueAfter(const std::string& report, std::string_view label) {
    for (const std::string& line : crlfLines(report))
        if (line.starts_with(label)) return line.substr(label.size());
    return "(missing)";
}

TEST(SystemReport, ValuesFollowTheFactsInTheLocalesFormat) {
    FakeFacts facts;
    const std::tuple<std::string_view, std::string, std::string> lines[] = {  // label, English, German
        {"   Total Physical......", "8,388,608K", "8.388.608K"}, {"   Pct Physical Free...", "37.5%", "37,5%"},
        {"  EXE Time Stamp......", "11/14/2023 22:13:20", "14/11/2023 22:13:20"},
        {"   CPU.................", "Intel Pentium III or Pentium III Xeon Model, 08 Stepping 01", ""},
        {"   Drive C:...........", "Fixed     51,200,000 KB Free", "Fixed     51.200.000 KB Free"},
        {"   Colors.......................", "True Color", "4.294.967.296"}, {"   Language............", "English", "Deutsch"}};
    const std::string english = systemReport(facts, library);
    facts.localeFacts = {"Deutsch", false, false, ".", ",", false};
    facts.displayFacts->bitsPerPixel = 32;
    const std::string german = systemReport(facts, library);
    for (const auto& [label, inEnglish, inGerman] : lines) {
        EXPECT_EQ(valueAfter(english, label), inEnglish) << label;
        if (!inGerman.empty()) {
            EXPECT_EQ(valueAfter(german, label), inGerman) << label;
        }
    }
    EXPECT_TRUE(english.starts_with("Application running on computer studio-pc\r\nApplication\r\n"));
    EXPECT_TRUE(english.ends_with("Other Components Running In Process\r\n    /usr/bin/host       FileVersion: <Not Found> "
                                  "ProductVersion: <Not Found> ProductName: <Not Found> CompanyName: <Not Found> "
                                  "FileDescription: <Not Found>  Created: 07/22/2023 04:26:40\r\n"));
    EXPECT_EQ(defectFactsOf(facts).physicalMemory, "8.388.608K");  // the defect report takes the report's values
}

TEST(SystemReport, MissingOrFailingFactsGiveTheDefaultsAndAWholeReport) {
    FakeFacts facts;
    facts.memoryFacts = MemoryFacts{8ull << 30, 1023, 1ull << 40, std::nullopt};  // under one kilobyte
    facts.processorFacts.reset();
    facts.displayFacts.reset();  // no display
    facts.fileFacts.reset();
    facts.driveFacts.clear();
    const std::string report = systemReport(facts, library);
    const std::pair<std::string_view, std::string> defaults[] = {{"   Available Physical..", "<none>"},
        {"   Available Virtual...", "<Unknown>"}, {"  EXE Size............", "<Unknown>"}, {"   CPU.................", "Unknown"},
        {"   Disks...............", "0"}, {"   Number of Monitors..", "1"}, {"   Mouse Present.......", "No"}};
    for (const auto& [label, value] : defaults) EXPECT_EQ(valueAfter(report, label), value) << label;

    struct Failing final : SystemFacts {
        [[noreturn]] static void fail() { throw std::runtime_error("unreadable"); }
        std::string computerName() override { fail(); }
        std::optional<KernelFacts> kernel() override { fail(); }
        std::optional<MemoryFacts> memory() override { fail(); }
        std::optional<ProcessorFacts> processor() override { fail(); }
        int processorCount() override { fail(); }
        std::optional<DisplayFacts> display() override { fail(); }
        LocaleFacts locale() override { fail(); }
        std::vector<DriveFacts> drives() override { fail(); }
        std::string defaultPrinter() override { fail(); }
        std::string currentFolder() override { fail(); }
        bool otherInstanceRuns(const fs::path&) override { fail(); }
        std::vector<std::string> loadedModules() override { fail(); }
        std::optional<FileFacts> file(const fs::path&) override { fail(); }
        std::tm localTime(std::time_t) override { fail(); }
    } failing;
    const std::vector<std::string> lines = crlfLines(systemReport(failing, library));
    EXPECT_EQ(lines.size(), 55u);
    EXPECT_EQ(lines.back(), "Other Components Running In Process");
}

TEST(SystemValues, ProcessorNamesAndDrives) {
    FakeFacts facts;
    facts.processorFacts = ProcessorFacts{"GenuineIntel", 6, 140, 1, "11th Gen Intel(R) Core(TM) i7", "x86_64"};
    EXPECT_EQ(fsCPUNAME(facts), "11th Gen Intel(R) Core(TM) i7");  // the classic names only where they describe it
    facts.processorFacts = ProcessorFacts{"", -1, -1, -1, "", "aarch64"};
    EXPECT_EQ(fsCPUNAME(facts), "aarch64");
    // A floppy counts only as A: first or B: second in the list.
    const std::pair<std::vector<DriveFacts>, std::string> drives[] = {
        {{{'A', DriveKind::Removable, {}}, {'B', DriveKind::Removable, {}}, {'D', DriveKind::Cdrom, {}},
          {'E', DriveKind::Remote, {}}, {'F', DriveKind::Unknown, {}}, {'G', DriveKind::Fixed, {}}}, "2 4"},
        {{{'C', DriveKind::Fixed, 0}, {'B', DriveKind::Removable, {}}}, "1 1"},
        {{{'B', DriveKind::Removable, {}}, {'A', DriveKind::Removable, {}}}, "0 2"}};
    for (const auto& [list, floppiesAndDisks] : drives) {
        facts.driveFacts = list;
        std::string report;
        fsDRIVES(facts, report);
        const std::vector<std::string> lines = crlfLines(report);
        EXPECT_EQ(lines.at(1).substr(23) + " " + lines.at(2).substr(23), floppiesAndDisks) << report;
    }
}

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
        return {.findSendmail = [] { return std::optional<fs::path>(); }, .fallbackOutbox = path("fallback")};
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
    EXPECT_EQ(fs::status(*result.kept).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(path("outbox")).permissions(), fs::perms::owner_all);
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

    result = deliverMail(sample(), path("outbox"), {.findSendmail = [this] { return std::optional(path("no-such-sendmail")); }});
    ASSERT_TRUE(result.kept);
    EXPECT_NE(result.problem.find("cannot start"), std::string::npos) << result.problem;

    std::ofstream(path("bin/sendmail.hang"));  // never reads its input: a message larger than any socket buffer
    MailMessage large = sample();
    large.attachments[0].content = std::string(4 << 20, 'L');
    result = deliverMail(large, path("outbox"), {.findSendmail = {}, .timeout = 300ms});
    EXPECT_FALSE(result.sent);
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(partAfter(bytesOf(*result.kept), "filename=\"fserror.log\""), large.attachments[0].content);
    EXPECT_NE(result.problem.find("did not finish"), std::string::npos) << result.problem;
    const std::string helper = bytesOf(path("bin/sendmail.pid"));
    EXPECT_TRUE(helper.empty() || (::kill(std::stoi(helper), 0) == -1 && errno == ESRCH)) << "killed and reaped";
}

TEST_F(MailTest, AnOutboxThatCannotBeMadeFallsBackOrIsLoggedAsLost) {
    std::ofstream(path("outbox")) << "a file where the folder should be";
    DeliveryResult result = deliverMail(sample(), path("outbox"), withoutSendmail());
    ASSERT_TRUE(result.kept);
    EXPECT_EQ(result.kept->parent_path(), path("fallback"));
    EXPECT_NE(result.problem.find("cannot create the outbox " + path("outbox").string()), std::string::npos);

    fs->setMailSender([this](const MailMessage& message, const fs::path& outbox) {
        DeliveryOptions options = withoutSendmail();
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
