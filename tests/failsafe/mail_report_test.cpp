#include <algorithm>

#include "failsafe/mail_delivery.h"
#include "fake_facts.h"
#include "mail_parsing.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;

struct SentMail {
    MailMessage message;
    fs::path outbox;
};

DefectFacts sampleFacts() {
    DefectFacts facts;
    facts.reportedBy = "jdoe";
    facts.configuration = "x86_64";
    facts.machineName = "studio";
    facts.os = "Linux 6.1 (Build 0) Debian GNU/Linux 12 (bookworm)";
    facts.cpu = "Intel(R) Core(TM) i5";
    facts.cpuCount = "4";
    facts.physicalMemory = "16,303,412K";
    facts.displayResolution = "1920 x 1080";
    facts.colorPalette = "True Color";
    facts.monitors = "1";
    facts.mouseButtons = "3";
    facts.mouseWheel = "Yes";
    facts.country = "Germany";
    facts.language = "Deutsch";
    facts.mideast = "No";
    facts.dbcs = "No";
    facts.otherComponents = "  /usr/bin/lumo-host       FileVersion: <Not Found>\r\n  /lib/libc.so.6       FileVersion: <Not Found>\r\n";
    return facts;
}

class MailReportTest : public FrameworkTest {
protected:
    std::vector<SentMail> sent;

    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setMailSender([this](const MailMessage& message, const fs::path& outbox) {
            sent.push_back({message, outbox});
            return DeliveryResult{};
        });
        fs->setDefectFactsProvider(sampleFacts);
    }
    void options(const std::string& extra) {
        writeOptions("[log file]\nWrite To Disk=1\nLog File=errors.log\n[include]\nResources=0\nMemory=0\n"
                     "Arguments=0\nUser=0\n" + extra);
    }
    void failInDoNext() {
        fsPUSH("modMain", "Sub Main", "");
        fsPUSH("cLUMOAudio", "Sub DoNext", "");
        Err().set(RuntimeError(11, "Division by zero", "LUMOAudioPlayer"), 42);
        fsERROR("cLUMOAudio", "Sub DoNext");
    }
};

TEST_F(MailReportTest, WithoutAddressesNoMailIsMade) {
    options("");
    failInDoNext();
    EXPECT_TRUE(sent.empty());
}

TEST_F(MailReportTest, RemoteErrorReportCarriesTheLogReportAsFserrorLog) {
    options("[email]\nAddress=support@example.org\n");
    failInDoNext();
    ASSERT_EQ(sent.size(), 1u);
    const MailMessage& mail = sent[0].message;
    EXPECT_EQ(mail.recipient, "support@example.org");
    EXPECT_EQ(mail.subject, "Remote Error Report From LUMOAudioPlayer");
    EXPECT_EQ(mail.text,
              "FailSafe reports error 11 (Division by zero) occurred in LUMOAudioPlayer. The attached log file has "
              "complete details.");
    EXPECT_EQ(mail.messageType, "IPM.");
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].name, "fserror.log");
    // The same report as the log's, which the error entry writes after the mail.
    EXPECT_EQ(mail.attachments[0].content, readFile(path("errors.log")));
    EXPECT_NE(mail.attachments[0].content.find("\t\tDescription Division by zero\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("!error!.log")));  // the temporary file is gone
    EXPECT_EQ(fsOPTION(16, Value("Get")).text(), path("errors.log").string());
    EXPECT_EQ(sent[0].outbox, path("outbox"));  // beside the log
}

TEST_F(MailReportTest, DefectReportHasEveryLabelledFieldAndGoesFirst) {
    options("[email]\nAddress=support@example.org\n[DefectTracker]\nDatabase=LUMO Defects\n"
            "Address=defects@example.org\nProject=LUMO Audio\nAssigned To=Pat\n");
    failInDoNext();
    ASSERT_EQ(sent.size(), 2u);
    const MailMessage& defect = sent[0].message;
    EXPECT_EQ(sent[1].message.recipient, "support@example.org");
    EXPECT_EQ(defect.recipient, "defects@example.org");
    EXPECT_EQ(defect.subject, "FailSafe New Defect [LUMO Defects]");
    EXPECT_TRUE(defect.attachments.empty());  // no circular log
    const std::vector<std::string> expected = {
        "KEY:", "LUMOAudioPlayer (local) : cLUMOAudio : Sub DoNext : 42 : 11",
        "REPORTED BY:", "jdoe",
        "CONFIGURATION:", "x86_64",
        "MACHINE NAME:", "studio",
        "OS:", "Linux 6.1 (Build 0) Debian GNU/Linux 12 (bookworm)",
        "CPU:", "Intel(R) Core(TM) i5",
        "NUM CPU:", "4",
        "PHYSICAL MEMORY:", "16,303,412K",
        "DISPLAY RESOLUTION:", "1920 x 1080",
        "COLOR PALETTE:", "True Color",
        "NUM MONITORS:", "1",
        "NUM MOUSEBUTTONS:", "3",
        "HAS MOUSEWHEEL:", "Yes",
        "COUNTRY:", "Germany",
        "LANGUAGE:", "Deutsch",
        "MIDEAST:", "No",
        "DBCS:", "No",
        "OTHER COMPONENTS:", "  /usr/bin/lumo-host       FileVersion: <Not Found>",
        "  /lib/libc.so.6       FileVersion: <Not Found>",
        "PROJECT:", "LUMO Audio",
        "ASSIGNED TO:", "Pat",
        "DATE/TIME ENTERED:", generalDateText(FakeServices(&now, &memory, &debugger, &breaks).localTime()),
        "SYNOPSIS:", "Division by zero",
        "DESCRIPTION:", "Category- General run-time error",
        "Source- LUMOAudioPlayer (local)",
        "Module- cLUMOAudio",
        "Procedure- Sub DoNext",
        "Line Number- 42",
        "Error Number- 11",
        "Description- Division by zero",
        "User Text- ",
        "PRODUCT:", "FailSafe 6.6 (C++20 programs on Linux, GCC 12 and Clang 14)",
        "STACK:", " 1 : Call\tmodMain : Sub Main :",  // as the log's call tree
        " 2 : Call\t\tcLUMOAudio : Sub DoNext :",
        " 3 : Trap\t\tRuntime error 11, Division by zero on line 42"};
    EXPECT_EQ(crlfLines(defect.text), expected);
}

TEST_F(MailReportTest, DefectReportAttachesTheCircularTraceWhenAsked) {
    options("[DefectTracker]\nAddress=defects@example.org\n[Log File]\nCircularLog=1\n");
    failInDoNext();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].message.attachments.size(), 1u);
    EXPECT_EQ(sent[0].message.attachments[0].name, "CircularTrace.log");
    const std::string trace = readFile(path("circ0001.log"));
    EXPECT_EQ(sent[0].message.attachments[0].content, trace);
    EXPECT_TRUE(trace.starts_with("CIRCULAR\r\n"));

    sent.clear();
    fsOPTION(31, Value::flag(false));  // Attach Log off
    failInDoNext();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].message.attachments.empty());
}

TEST_F(MailReportTest, AnErrorWithoutDescriptionIsANewDefect) {
    options("[DefectTracker]\nAddress=defects@example.org\n");
    fsPUSH("modMain", "Sub Main", "");
    Err().set(RuntimeError(32100, " "), 0);
    Err().description.clear();
    fsERROR("modMain", "Sub Main");
    ASSERT_EQ(sent.size(), 1u);
    const std::vector<std::string> lines = crlfLines(sent[0].message.text);
    const auto synopsis = std::find(lines.begin(), lines.end(), "SYNOPSIS:");
    ASSERT_NE(synopsis, lines.end());
    EXPECT_EQ(*(synopsis + 1), "New Defect");
}

TEST(DefectFacts, TheFieldsAreTheSystemReportsValues) {
    FakeFacts machine;
    machine.localeFacts.groupSeparator = ".";
    const DefectFacts facts = defectFactsOf(machine);
    EXPECT_EQ(facts.configuration, "i686");
    EXPECT_EQ(facts.machineName, "studio-pc");
    EXPECT_EQ(facts.cpuCount, "4");
    EXPECT_EQ(facts.physicalMemory, "8.388.608K");  // the locale's grouping, as the report's memory lines
    EXPECT_EQ(facts.displayResolution, "1920 x 1080");
    EXPECT_EQ(facts.monitors, "2");
    EXPECT_EQ(facts.language, "English");
    const std::vector<std::string> modules = crlfLines(facts.otherComponents);
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_TRUE(modules[0].starts_with("  /usr/bin/host       FileVersion: <Not Found>")) << modules[0];
    EXPECT_TRUE(modules[1].starts_with("  /usr/lib/libLUMOAudioPlayer.so ")) << modules[1];
}

// The real delivery beside the log, as a machine without sendmail has it.
class MailOutboxTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setMailSender([this](const MailMessage& message, const fs::path& outbox) {
            DeliveryOptions options;
            options.findSendmail = [] { return std::optional<fs::path>(); };
            options.fallbackOutbox.reset();
            return deliverMail(message, outbox, options);
        });
        writeOptions("[log file]\nWrite To Disk=1\nLog File=errors.log\n[email]\nAddress=support@example.org\n");
    }
};

TEST_F(MailOutboxTest, AnOutboxThatCannotBeMadeIsLoggedAndTheEntryGoesOn) {
    std::ofstream(path("outbox")) << "in the way";
    fsPUSH("modMain", "Sub Main", "");
    Err().set(RuntimeError(53, "File not found", "LUMOAudioPlayer"), 7);
    fsERROR("modMain", "Sub Main");
    fsPOP("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
    const std::string log = readFile(path("errors.log"));
    EXPECT_NE(log.find("12-04-2026 05:30:00 FailSafe mail: cannot create the outbox " + path("outbox").string()),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("the message to support@example.org is lost\r\n"), std::string::npos) << log;
    EXPECT_TRUE(ui->boxes.empty());  // ignored: no box
}

}  // namespace
}  // namespace lumo::failsafe::testing
