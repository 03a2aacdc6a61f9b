#pragma once
// The reports of an intercepted error: the error report appended to the log
// file, the same report by mail to the configured address, and the defect
// report to the defect tracker. Failures are logged and otherwise ignored.

#include <filesystem>

#include "failsafe/environment.h"
#include "failsafe/errors/error_entry.h"
#include "failsafe/mail/mail_delivery.h"
#include "failsafe/mail/mail_reports.h"
#include "failsafe/options/options.h"
#include "failsafe/trace/sinks.h"

namespace lumo::failsafe {

class Reports {
public:
    Reports(Environment& environment, const Options& options, const ErrorEntry& errors, Sinks& sinks)
        : environment_(environment), options_(options), errors_(errors), sinks_(sinks) {}
    Reports(const Reports&) = delete;
    Reports& operator=(const Reports&) = delete;

    void setMailSender(MailSender sender) { sendMail_ = std::move(sender); }
    void setDefectFactsProvider(DefectFactsProvider provider) { defectFacts_ = std::move(provider); }

    // The log file of the error reports: option 16's file, else fsError.log
    // in the program folder.
    std::filesystem::path errorReportFile() const;
    void logErrorReport();
    void mailReport();
    void defectReport();

private:
    std::string errorReport() const;
    void sendReportMail(const MailMessage& message);

    Environment& environment_;
    const Options& options_;
    const ErrorEntry& errors_;
    Sinks& sinks_;
    MailSender sendMail_;
    DefectFactsProvider defectFacts_;
};

}  // namespace lumo::failsafe
