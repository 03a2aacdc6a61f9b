// lumo-host script lines: any bytes as one line, and the same bytes split
// into lines as the script runner splits a script.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "host/script_parser.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace lumo::host;
using lumo::fuzz::require;

void parse(std::string_view line) {
    const ParsedLine parsed = parseLine(line);
    if (!parsed.ok()) {
        require(!parsed.statement, "a refused line with a statement");
        return;
    }
    if (!parsed.statement) return;
    if (const auto* sleep = std::get_if<Sleep>(&*parsed.statement)) require(sleep->ms >= 0, "a negative :sleep");
    if (const auto* wait = std::get_if<Wait>(&*parsed.statement)) {
        require(wait->timeoutMs >= 0, "a negative :wait");
        require(!wait->property.empty(), ":wait without a property");
    }
    if (const auto* call = std::get_if<Call>(&*parsed.statement)) require(!call->name.empty(), "a call without a name");
    if (const auto* assignment = std::get_if<Assignment>(&*parsed.statement))
        require(!assignment->name.empty(), "an assignment without a name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    parse(text);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        parse(text.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
