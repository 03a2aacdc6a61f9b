#include "failsafe/environment.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdio>

#include "failsafe/messages.h"

namespace lumo::failsafe {
namespace {

// Names the program after the object this code is linked into.
void programAnchor() {}

}  // namespace

Environment::Environment()
    : services_(makeLinuxSystemServices()),
      ui_(std::make_shared<HeadlessUserInterface>()),
      program_(programInfoOfModuleAt(reinterpret_cast<const void*>(&programAnchor))) {}

Environment::~Environment() = default;

std::string Environment::dateText() const {
    const std::tm now = services_->localTime();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d", now.tm_mon + 1, now.tm_mday, now.tm_year + 1900);
    return buffer;
}

std::string Environment::timeText() const {
    const std::tm now = services_->localTime();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
    return buffer;
}

std::string Environment::generalDateTime() const {
    const std::tm when = services_->localTime();
    bool dayFirst = false;
    if (const locale_t user = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        user != static_cast<locale_t>(nullptr)) {
        const std::string format = ::nl_langinfo_l(D_FMT, user);
        const size_t day = format.find_first_of("de"), month = format.find_first_of("mbB");
        dayFirst = day != std::string::npos && month != std::string::npos && day < month;
        ::freelocale(user);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", dayFirst ? when.tm_mday : when.tm_mon + 1,
                  dayFirst ? when.tm_mon + 1 : when.tm_mday, when.tm_year + 1900, when.tm_hour, when.tm_min,
                  when.tm_sec);
    return text;
}

std::string Environment::message(int number) const {
    switch (number) {
        case 20:
        case 31:
            return dateText() + " " + timeText() + (number == 20 ? " - start" : " - stop") + " FailSafe client v" +
                   std::string(frameworkVersion) + " data capture";
        case 62:
            return program_.folder.string() + "/" + program_.name + " ver " + std::to_string(program_.major) + "." +
                   std::to_string(program_.minor) + "." + std::to_string(program_.revision);
        default:
            return std::string(fixedMessage(number));
    }
}

}  // namespace lumo::failsafe
