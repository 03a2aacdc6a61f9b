#pragma once
// A short account of the machine for error reports: the operating system,
// the host and user, memory and the process. The full system information
// report replaces it once the error window is in place.

#include <string>

namespace lumo::failsafe {

std::string basicSystemState();

}  // namespace lumo::failsafe
