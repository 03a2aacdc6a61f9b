#pragma once
// What every part of the framework shares about the process it runs in: the
// system services and user interface seams, the program, the facts found at
// start, and the framework's texts that depend on the moment or the program.

#include <cstdint>
#include <memory>
#include <string>

#include "failsafe/services.h"
#include "failsafe/user_interface.h"

namespace lumo::failsafe {

class Environment {
public:
    Environment();
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    void setServices(std::unique_ptr<SystemServices> services) { services_ = std::move(services); }
    void setUserInterface(std::shared_ptr<UserInterface> ui) { ui_ = std::move(ui); }
    void setProgram(ProgramInfo program) { program_ = std::move(program); }
    // The facts the framework's start finds.
    void noteDevEnvironment() { inDevEnvironment_ = services_->debuggerAttached(); }
    void noteProgramTag() { exeTag_ = "[" + program_.name + "] "; }
    void noteProjectName() { projectName_ = program_.projectName; }

    SystemServices& services() const { return *services_; }
    UserInterface& ui() const { return *ui_; }
    const ProgramInfo& program() const { return program_; }
    bool inDevEnvironment() const { return inDevEnvironment_; }
    const std::string& exeTag() const { return exeTag_; }
    const std::string& projectName() const { return projectName_; }
    // The user's own text of a record; this platform has none.
    std::string userText() const { return {}; }

    // Date and time as the framework's texts write them: 12-04-2026, 05:30:00.
    std::string dateText() const;
    std::string timeText() const;
    // The same in general date form, day and month in the order of the
    // user's locale: 12/04/2026 05:30:00.
    std::string generalDateTime() const;
    std::string message(int number) const;

private:
    std::unique_ptr<SystemServices> services_;
    std::shared_ptr<UserInterface> ui_;
    ProgramInfo program_;
    bool inDevEnvironment_ = false;
    std::string exeTag_;
    std::string projectName_;
};

}  // namespace lumo::failsafe
