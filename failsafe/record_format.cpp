#include "failsafe/record_format.h"

#include <cstdio>
#include <cstdlib>

namespace lumo::failsafe {

std::string formatTimeField(int64_t fixedPointMilliseconds) {
    // Dividing by 10000 leaves the milliseconds as the digits of the field;
    // their fraction rounds half away from zero into the fourth decimal.
    const bool negative = fixedPointMilliseconds < 0;
    const uint64_t magnitude = static_cast<uint64_t>(negative ? -(fixedPointMilliseconds + 1) : fixedPointMilliseconds) +
                               (negative ? 1u : 0u);
    const uint64_t units = (magnitude + 5000) / 10000;  // ten-thousandths of the field
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%05llu.%04llu", negative && units != 0 ? "-" : "",
                  static_cast<unsigned long long>(units / 10000), static_cast<unsigned long long>(units % 10000));
    return buffer;
}

std::string formatCounter(uint32_t count) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%05u", count);
    return buffer;
}

void cutAfterProcedure(std::string& record) {
    const size_t first = record.find(':');
    if (first == std::string::npos) return;
    const size_t second = record.find(':', first + 1);
    if (second == std::string::npos) return;
    record.erase(second);
    while (!record.empty() && record.back() == ' ') record.pop_back();
}

}  // namespace lumo::failsafe
