#include "failsafe/mail/mail_reports.h"

#include <langinfo.h>
#include <locale.h>

#include "failsafe/errors/error_report.h"
#include "failsafe/messages.h"
#include "failsafe/system/system_values.h"

namespace lumo::failsafe {
namespace {

// A field of the user's locale (LC_ADDRESS), without changing the process's.
std::string localeAddressField(nl_item item) {
    const locale_t user = ::newlocale(LC_ADDRESS_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr)) return {};
    std::string text = ::nl_langinfo_l(item, user);
    ::freelocale(user);
    return text;
}

}  // namespace

DefectFacts defectFactsOf(SystemFacts& facts) {
    DefectFacts defect;
    defect.reportedBy = loginName();
    if (const auto processor = facts.processor()) defect.configuration = processor->machine;
    defect.machineName = fsCOMPUTERNAME(facts);
    defect.os = fsWINDOWSVERSION(facts);
    defect.cpu = fsCPUNAME(facts);
    defect.cpuCount = fsCPUCOUNT(facts);
    if (const auto memory = facts.memory())
        defect.physicalMemory = groupedNumber(memory->totalPhysical / 1024, facts.locale().groupSeparator) + "K";
    defect.displayResolution = fsSCREENSIZE(facts);
    defect.colorPalette = fsCOLORS(facts);
    defect.monitors = fsMONITORS(facts);
    defect.mouseButtons = fsMOUSEBUTTONS(facts);
    defect.mouseWheel = fsMOUSEWHEEL(facts);
    defect.country = localeAddressField(_NL_ADDRESS_COUNTRY_NAME);
    defect.language = fsLANGUAGE(facts);
    defect.mideast = fsMIDEAST(facts);
    defect.dbcs = fsDBCS(facts);
    fsCOMPONENTS(facts, 0, defect.otherComponents);
    return defect;
}

MailMessage remoteErrorReport(const InterceptedError& error, const std::string& programName,
                              const std::string& recipient, std::string logReport) {
    const ErrorSlot& first = error.slots[0];
    MailMessage message;
    message.recipient = recipient;
    message.subject = "Remote Error Report From " + programName;
    message.text = "FailSafe reports error " + std::to_string(first.number) + " (" + first.description + ")" +
                   " occurred in " + programName + ". The attached log file has complete details.";
    message.messageType = "IPM.";
    message.attachments.push_back({"fserror.log", std::move(logReport)});
    return message;
}

std::string defectReportText(const DefectContext& context) {
    const ErrorSlot& first = context.error.slots[0];
    const DefectFacts& facts = context.facts;
    std::string text;
    const auto field = [&text](std::string_view label, std::string_view value) {
        text.append(label).append("\r\n").append(value).append("\r\n");
    };
    field("KEY:", first.source + " : " + first.module + " : " + first.procedure + " : " + std::to_string(first.line) +
                      " : " + std::to_string(first.number));
    field("REPORTED BY:", facts.reportedBy);
    field("CONFIGURATION:", facts.configuration);
    field("MACHINE NAME:", facts.machineName);
    field("OS:", facts.os);
    field("CPU:", facts.cpu);
    field("NUM CPU:", facts.cpuCount);
    field("PHYSICAL MEMORY:", facts.physicalMemory);
    field("DISPLAY RESOLUTION:", facts.displayResolution);
    field("COLOR PALETTE:", facts.colorPalette);
    field("NUM MONITORS:", facts.monitors);
    field("NUM MOUSEBUTTONS:", facts.mouseButtons);
    field("HAS MOUSEWHEEL:", facts.mouseWheel);
    field("COUNTRY:", facts.country);
    field("LANGUAGE:", facts.language);
    field("MIDEAST:", facts.mideast);
    field("DBCS:", facts.dbcs);
    std::string components = facts.otherComponents;
    while (components.ends_with('\n') || components.ends_with('\r')) components.pop_back();
    field("OTHER COMPONENTS:", components);
    field("PROJECT:", context.settings.defectProject);
    field("ASSIGNED TO:", context.settings.defectAssignedTo);
    field("DATE/TIME ENTERED:", context.dateTime);
    field("SYNOPSIS:", first.description.empty() ? "New Defect" : first.description);
    field("DESCRIPTION:", "Category- " + first.category + "\r\nSource- " + first.source + "\r\nModule- " +
                              first.module + "\r\nProcedure- " + first.procedure + "\r\nLine Number- " +
                              std::to_string(first.line) + "\r\nError Number- " + std::to_string(first.number) +
                              "\r\nDescription- " + first.description + "\r\nUser Text- " + context.error.userText);
    field("PRODUCT:", "FailSafe " + std::string(frameworkVersion));
    std::string stack;
    for (const std::string& line : callTreeLines(context.error)) stack.append(stack.empty() ? "" : "\r\n").append(line);
    field("STACK:", stack);
    return text;
}

}  // namespace lumo::failsafe
