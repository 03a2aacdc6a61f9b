#include "failsafe/system_state.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "failsafe/services.h"

namespace lumo::failsafe {

std::string basicSystemState() {
    std::ostringstream out;
    utsname system{};
    if (uname(&system) == 0) {
        out << "Operating System: " << system.sysname << " " << system.release << " " << system.machine << "\r\n";
        out << "Computer Name: " << system.nodename << "\r\n";
    }
    if (const passwd* user = getpwuid(getuid())) out << "User Name: " << user->pw_name << "\r\n";
    std::ifstream meminfo("/proc/meminfo");
    std::stringstream text;
    text << meminfo.rdbuf();
    if (const auto memory = parseMeminfo(text.str())) {
        out << "Memory Load: " << memory->loadPercent << "%\r\n";
        out << "Available Physical Memory: " << memory->availablePhysical << " bytes\r\n";
    }
    out << "Process ID: " << getpid() << "\r\n";
    return out.str();
}

}  // namespace lumo::failsafe
