#include "failsafe/framework.h"

#include <cstdio>

#include "failsafe/messages.h"

namespace lumo::failsafe {
namespace {

Framework* currentFramework = nullptr;

Framework& processFramework() {
    static Framework instance;
    return instance;
}

}  // namespace

Framework::Framework()
    : services_(makeLinuxSystemServices()),
      ui_(std::make_shared<HeadlessUserInterface>()),
      program_(programInfoOfModuleAt(reinterpret_cast<const void*>(&processFramework))) {}

Framework::~Framework() = default;

void Framework::setServices(std::unique_ptr<SystemServices> services) { services_ = std::move(services); }
void Framework::setUserInterface(std::shared_ptr<UserInterface> ui) { ui_ = std::move(ui); }
void Framework::setProgram(ProgramInfo program) { program_ = std::move(program); }
void Framework::setMonitorFinder(MonitorFinder finder) { findMonitor_ = std::move(finder); }
void Framework::setSystemReportBuilder(std::function<std::string()> builder) { buildSystemReport_ = std::move(builder); }
void Framework::setErrorWindow(std::shared_ptr<ErrorWindow> window) { errorWindow_ = std::move(window); }
void Framework::setUserActionProvider(std::function<int16_t()> provider) { userActionProvider_ = std::move(provider); }
void Framework::setErrorLogHandler(ErrorLogHandler handler) { errorLogHandler_ = std::move(handler); }
void Framework::setMailSender(MailSender sender) { sendMail_ = std::move(sender); }
void Framework::setDefectFactsProvider(DefectFactsProvider provider) { defectFacts_ = std::move(provider); }

std::filesystem::path Framework::optionsFile() const { return program_.folder / "FSCLIENT.INI"; }

std::filesystem::path Framework::errorReportFile() const {
    if (!settings_.logFile.empty()) return settings_.logFile;
    return program_.folder / "fsError.log";
}

std::string Framework::dateText() const {
    const std::tm now = services_->localTime();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d", now.tm_mon + 1, now.tm_mday, now.tm_year + 1900);
    return buffer;
}

std::string Framework::timeText() const {
    const std::tm now = services_->localTime();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
    return buffer;
}

std::string Framework::message(int number) const {
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

void Framework::reportInternalError(std::string_view operation, int32_t line, const RuntimeError& error) noexcept {
    try {
        std::string text = "Line Number: " + std::to_string(line) + " " + std::string(operation) + " " +
                           message(23) + " " + std::to_string(error.number()) + ", '" + error.description() +
                           "', inside FAILSAFE\r\n";
        try {
            writeLog("FailSafe" + message(24) + ": " + text.substr(0, text.size() - 2));
        } catch (...) {
        }
        ui_->messageBox(text, box::Critical, "FailSafe" + message(24));
    } catch (...) {
        try {
            ui_->messageBox(message(25) + std::to_string(error.number()) + message(26) + std::to_string(line),
                            box::OkOnly, "");
        } catch (...) {
        }
    }
}

void Framework::logCaughtError(std::string_view location, int32_t line, int32_t number,
                               std::string_view description) {
    guarded("LogError()", [&] {
        if (errorLogHandler_) {
            errorLogHandler_(location, line, number, description);
            return;
        }
        writeLog(dateText() + " " + timeText() + " " + std::string(location) + " line " + std::to_string(line) +
                 " error " + std::to_string(number) + " '" + std::string(description) + "'");
    });
}

Framework& framework() {
    if (currentFramework == nullptr) [[unlikely]] currentFramework = &processFramework();
    return *currentFramework;
}

ScopedFramework::ScopedFramework() : framework_(std::make_unique<Framework>()), previous_(&framework()) {
    currentFramework = framework_.get();
}

ScopedFramework::~ScopedFramework() { currentFramework = previous_; }

}  // namespace lumo::failsafe
