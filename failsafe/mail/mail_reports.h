#pragma once
// The two mail messages of an intercepted error: the remote error report
// with the log report attached, and the defect report of labelled fields for
// a defect tracker's mail gateway.

#include <functional>
#include <string>

#include "failsafe/errors/intercepted_error.h"
#include "failsafe/mail/mail_message.h"
#include "failsafe/options/settings.h"

namespace lumo::failsafe {

class SystemFacts;

// The machine and the user as the defect report's fields show them; the
// system information report's value functions supply most of them.
struct DefectFacts {
    std::string reportedBy;  // the user's log-on name
    std::string configuration;
    std::string machineName;
    std::string os;
    std::string cpu;
    std::string cpuCount;
    std::string physicalMemory;
    std::string displayResolution;
    std::string colorPalette;
    std::string monitors;
    std::string mouseButtons;
    std::string mouseWheel;
    std::string country;
    std::string language;
    std::string mideast;
    std::string dbcs;
    std::string otherComponents;  // the loaded modules, a line each
};
using DefectFactsProvider = std::function<DefectFacts()>;

// The fields from the system information report's value functions, with
// the log-on name and the country of the user's locale.
DefectFacts defectFactsOf(SystemFacts& facts);

MailMessage remoteErrorReport(const InterceptedError& error, const std::string& programName,
                              const std::string& recipient, std::string logReport);

struct DefectContext {
    const InterceptedError& error;
    const Settings& settings;
    const DefectFacts& facts;
    std::string dateTime;  // now, in general date form
};


// The defect report's text: each label on a line, its value on the next.
std::string defectReportText(const DefectContext& context);

}  // namespace lumo::failsafe
