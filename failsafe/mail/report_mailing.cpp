#include "failsafe/mail/report_mailing.h"

#include <fstream>
#include <sstream>

#include "failsafe/errors/error_report.h"
#include "failsafe/file_append.h"
#include "failsafe/system/system_report.h"

namespace lumo::failsafe {
namespace {

std::optional<std::string> readWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

std::filesystem::path Reports::errorReportFile() const {
    const std::string& logFile = options_.settings().logFile;
    if (!logFile.empty()) return logFile;
    return environment_.program().folder / "fsError.log";
}

std::string Reports::errorReport() const {
    const ReportFrame frame{environment_.message(20), environment_.message(62), environment_.message(31)};
    return formatErrorReport(errors_.lastError(), frame);
}

void Reports::logErrorReport() {
    sinks_.guarded("fsLOGERROR()", [&] { appendToFile(errorReportFile().string(), errorReport()); });
}

void Reports::mailReport() {
    sinks_.guarded("fsMAILREPORT()", [&] {
        // The report goes through a file of its own, as the log report does,
        // and travels as the attachment.
        const std::filesystem::path temporary = environment_.program().folder / "!error!.log";
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        sinks_.guarded("fsLOGERROR()", [&] { appendToFile(temporary.string(), errorReport()); });
        std::optional<std::string> report = readWholeFile(temporary);
        std::filesystem::remove(temporary, ignored);
        // A read-only program folder must not cost the recipient the details.
        if (!report) report = errorReport();
        const Settings& settings = options_.settings();
        sendReportMail(
            remoteErrorReport(errors_.lastError(), environment_.program().name, settings.mailAddress, std::move(*report)));
    });
}

void Reports::defectReport() {
    sinks_.guarded("fsDEFECTREPORT()", [&] {
        const Settings& settings = options_.settings();
        const DefectFacts facts = defectFacts_ ? defectFacts_() : defectFactsOf(processSystemFacts());
        MailMessage defect;
        defect.recipient = settings.defectAddress;
        defect.subject = "FailSafe New Defect [" + settings.defectDatabase + "]";
        defect.text = defectReportText({errors_.lastError(), settings, facts, environment_.generalDateTime()});
        if (settings.circularLog && settings.attachLog) {
            if (auto trace = readWholeFile(settings.circularFile))
                defect.attachments.push_back({"CircularTrace.log", std::move(*trace)});
        }
        sendReportMail(defect);
    });
}

void Reports::sendReportMail(const MailMessage& message) {
    std::filesystem::path folder = errorReportFile().parent_path();
    if (folder.empty()) folder = environment_.program().folder;
    const std::filesystem::path outbox = folder / "outbox";
    const DeliveryResult result = sendMail_ ? sendMail_(message, outbox) : deliverMail(message, outbox);
    if (!result.problem.empty())
        sinks_.writeLog(environment_.dateText() + " " + environment_.timeText() + " FailSafe mail: " + result.problem);
}

}  // namespace lumo::failsafe
