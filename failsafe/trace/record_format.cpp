#include "failsafe/trace/record_format.h"

#include <charconv>

namespace lumo::failsafe {
namespace {

// Appends `value` with at least `width` digits, zeros in front.
void appendPadded(std::string& out, uint64_t value, int width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const int length = static_cast<int>(end - digits);
    if (length < width) out.append(static_cast<size_t>(width - length), '0');
    out.append(digits, end);
}

}  // namespace

void appendTimeField(std::string& out, int64_t fixedPointMilliseconds) {
    // Dividing by 10000 leaves the milliseconds as the digits of the field;
    // their fraction rounds half away from zero into the fourth decimal.
    const bool negative = fixedPointMilliseconds < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(fixedPointMilliseconds)
                                        : static_cast<uint64_t>(fixedPointMilliseconds);
    const uint64_t units = (magnitude + 5000) / 10000;  // ten-thousandths of the field
    if (negative && units != 0) out += '-';
    appendPadded(out, units / 10000, 5);
    out += '.';
    appendPadded(out, units % 10000, 4);
}

void appendCounter(std::string& out, uint32_t count) { appendPadded(out, count, 5); }

std::string formatTimeField(int64_t fixedPointMilliseconds) {
    std::string text;
    appendTimeField(text, fixedPointMilliseconds);
    return text;
}

std::string formatCounter(uint32_t count) {
    std::string text;
    appendCounter(text, count);
    return text;
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
