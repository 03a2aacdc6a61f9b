#pragma once
// The machine's facts with what Qt knows of the display, the pointing
// devices, the user's locale and the default printer. Needs a
// QGuiApplication; without one it answers as the facts it wraps.

#include <memory>

#include "failsafe/system/system_facts.h"

namespace lumo::failsafe::window {

class QtSystemFacts final : public SystemFacts {
public:
    explicit QtSystemFacts(std::unique_ptr<SystemFacts> machine) : machine_(std::move(machine)) {}

    std::optional<DisplayFacts> display() override;
    LocaleFacts locale() override;
    std::string defaultPrinter() override;

    std::string computerName() override { return machine_->computerName(); }
    std::optional<KernelFacts> kernel() override { return machine_->kernel(); }
    std::optional<MemoryFacts> memory() override { return machine_->memory(); }
    std::optional<ProcessorFacts> processor() override { return machine_->processor(); }
    int processorCount() override { return machine_->processorCount(); }
    std::vector<DriveFacts> drives() override { return machine_->drives(); }
    std::string currentFolder() override { return machine_->currentFolder(); }
    bool otherInstanceRuns(const std::filesystem::path& programFile) override {
        return machine_->otherInstanceRuns(programFile);
    }
    std::vector<std::string> loadedModules() override { return machine_->loadedModules(); }
    std::optional<FileFacts> file(const std::filesystem::path& path) override { return machine_->file(path); }
    std::tm localTime(std::time_t time) override { return machine_->localTime(time); }

private:
    std::unique_ptr<SystemFacts> machine_;
};

}  // namespace lumo::failsafe::window
