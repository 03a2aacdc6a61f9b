// The error entry's mail: the remote error report and the defect report.
#include <fstream>
#include <sstream>

#include "failsafe/error_report.h"
#include "failsafe/framework.h"
#include "failsafe/system_report.h"

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

void Framework::mailReport() {
    guarded("fsMAILREPORT()", [&] {
        // The log report goes to a file of its own, which travels as the attachment.
        const std::filesystem::path temporary = program_.folder / "!error!.log";
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        const std::string logFile = settings_.logFile;
        settings_.logFile = temporary.string();
        logErrorReport();
        settings_.logFile = logFile;
        std::optional<std::string> report = readWholeFile(temporary);
        std::filesystem::remove(temporary, ignored);
        // A read-only program folder must not cost the recipient the details.
        if (!report) report = formatErrorReport(error_, {message(20), message(62), message(31)});
        sendReportMail(remoteErrorReport(error_, program_.name, settings_.mailAddress, std::move(*report)));
    });
}

void Framework::defectReport() {
    guarded("fsDEFECTREPORT()", [&] {
        const DefectFacts facts = defectFacts_ ? defectFacts_() : defectFactsOf(processSystemFacts());
        MailMessage defect;
        defect.recipient = settings_.defectAddress;
        defect.subject = "FailSafe New Defect [" + settings_.defectDatabase + "]";
        defect.text = defectReportText({error_, settings_, facts, generalDateText(services_->localTime())});
        if (settings_.circularLog && settings_.attachLog) {
            if (auto trace = readWholeFile(settings_.circularFile))
                defect.attachments.push_back({"CircularTrace.log", std::move(*trace)});
        }
        sendReportMail(defect);
    });
}

void Framework::sendReportMail(const MailMessage& message) {
    std::filesystem::path folder = errorReportFile().parent_path();
    if (folder.empty()) folder = program_.folder;
    const std::filesystem::path outbox = folder / "outbox";
    const DeliveryResult result = sendMail_ ? sendMail_(message, outbox) : deliverMail(message, outbox);
    if (!result.problem.empty()) writeLog(dateText() + " " + timeText() + " FailSafe mail: " + result.problem);
}

}  // namespace lumo::failsafe
