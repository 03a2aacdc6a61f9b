// Settings writes: one, reported; or one key rewritten for ever, each write
// announced before it starts and after it ends, so that a test that kills
// the process knows which values the file may hold.
#include <string>

#include "helper.h"
#include "platform/user_settings.h"

namespace lumo::faults {

int settingsCommand(const Arguments& a) {
    if (a.size() == 5 && a[0] == "write") {
        say(platform::writeSetting(a[1], a[2], a[3], a[4]) ? "written yes" : "written no");
        const auto value = platform::readSetting(a[1], a[2], a[3]);
        say("value " + value.value_or("<none>"));
        return 0;
    }
    if (a.size() == 4 && a[0] == "loop") {
        // Values of different lengths, so that a torn file could not pass for a whole one.
        for (long n = 1;; ++n) {
            const std::string value = "value-" + std::to_string(n) + std::string(static_cast<size_t>(n % 7) * 9, 'x');
            say("writing " + value);
            if (!platform::writeSetting(a[1], a[2], a[3], value)) say("failed " + value);
            say("wrote " + value);
        }
    }
    return 2;
}

}  // namespace lumo::faults
