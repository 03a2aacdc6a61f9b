#pragma once
// What the library does once per process before the first object starts
// (Main), and what each object's start-up configures.

#include <string>

namespace lumo::automation {

// Starts the framework, makes the player host (its player without error
// dialogs) and loads it. Runs once per process; later calls do nothing.
void Main();

// "INSTALLDIR" of "LUMO Player"/"Settings", "" when unset.
std::string installFolder();

// The framework options every object sets, in their order: the log file,
// the trace on, no capture, write to disk, force system information, no
// circular log.
void configureFramework(const std::string& logFile);

}  // namespace lumo::automation
