#include "common/formatting.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <cstdio>

#include "failsafe/framework.h"
#include "failsafe/procedure.h"

namespace lumo::common {
namespace {

using failsafe::Procedure;

std::string twoDigits(int64_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string FormatPosition(double seconds) {
    Procedure proc("modMain", "Function FormatPosition");
    std::string result;
    proc.step([&] {
        if (std::isnan(seconds) || seconds < 0) seconds = 0;
        if (seconds > 9.0e15) failsafe::raiseError(failsafe::error::Overflow);
        const auto hours = static_cast<int64_t>(std::floor(seconds / 3600));
        const auto rest = static_cast<int64_t>(std::nearbyint(seconds)) % 3600;
        result = twoDigits(hours) + ":" + twoDigits(rest / 60) + ":" + twoDigits(rest % 60);
    });
    return result;
}

std::string formatAppVersion(int major, int minor, int revision) {
    std::string revisionText = std::to_string(revision);
    if (revisionText.size() < 4) revisionText.insert(0, 4 - revisionText.size(), '0');
    return std::to_string(major) + "." + twoDigits(minor) + "." + revisionText;
}

std::string ISFormatAppVersion() {
    Procedure proc("modMain", "Function ISFormatAppVersion");
    std::string result;
    proc.step([&] {
        const failsafe::ProgramInfo& program = failsafe::framework().program();
        result = formatAppVersion(program.major, program.minor, program.revision);
    });
    return result;
}

std::string GetErrorItemString(const platform::ErrorItem& item) {
    Procedure proc("modMain", "Function GetErrorItemString");
    std::string result;
    proc.step([&] {
        result = "Error Condition: " + std::to_string(item.condition) + "\r";
        if (!item.customUrl.empty()) result += "Custom Url: " + item.customUrl + "\r";
        result += "Error Code: " + std::to_string(item.errorCode) + "\r";
        if (!item.errorContext.empty()) result += "Error Context: " + item.errorContext + "\r";
        if (!item.errorDescription.empty()) result += "Error Description: " + item.errorDescription + "\r";
    });
    return result;
}

std::string generalDateTime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QString localeFormat = QLocale::system().dateFormat(QLocale::ShortFormat);
    const bool monthFirst = localeFormat.indexOf('M') >= 0 && localeFormat.indexOf('M') < localeFormat.indexOf('d');
    const QString date = now.toString(monthFirst ? "MM/dd/yyyy" : "dd/MM/yyyy");
    return (date + " " + now.toString("HH:mm:ss")).toStdString();
}

}  // namespace lumo::common
