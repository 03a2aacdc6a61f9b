// FSCLIENT.INI as the framework reads it: any bytes as the file, then every
// key the framework asks for, and a section and key taken from the text
// itself so that lookups also meet names the file really holds.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "failsafe/options/profile_reader.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using lumo::failsafe::ProfileReader;

struct Lookup {
    std::string_view section, key, defaultValue;
    size_t kept;
};

// What fsSTART reads, with the lengths it keeps.
constexpr Lookup frameworkKeys[] = {
    {"Log File", "CircularLog", "0", 4},          {"CircularLog", "FileName", "circ0001.log", 127},
    {"CircularLog", "RecordSize", "512", 127},     {"CircularLog", "MaxRecords", "100", 127},
    {"preferences", "Force System Info", "", 7},  {"email", "Address", "", 254},
    {"log file", "Write To Disk", "", 7},          {"log file", "Capture To Disk", "", 7},
    {"log file", "Log File", "", 127},             {"preferences", "Silent Run", "0", 1},
    {"include", "Resources", "1", 1},              {"include", "Memory", "1", 1},
    {"include", "Arguments", "1", 1},              {"include", "User", "1", 1},
    {"DefectTracker", "Database", "", 254},        {"DefectTracker", "Address", "", 254},
    {"DefectTracker", "Project", "", 254},         {"DefectTracker", "Assigned To", "", 254},
    {"DefectReport", "Attach Log", "1", 254},
};

// At most `kept` bytes, and a value cut short never ends inside a UTF-8
// sequence: from a text that is UTF-8 only UTF-8 comes back.
void check(const std::string& value, size_t kept, bool textIsUtf8) {
    lumo::fuzz::require(value.size() <= kept, "a value is longer than the characters kept");
    if (textIsUtf8) lumo::fuzz::require(lumo::fuzz::validUtf8(value), "a value cut inside a UTF-8 sequence");
}

// The first "[section]" and the first "key=" of the text, as written.
Lookup lookupFromText(std::string_view text) {
    Lookup lookup{"", "", "default", text.size() % 300};
    if (const size_t open = text.find('['); open != std::string_view::npos) {
        const size_t close = text.find(']', open);
        if (close != std::string_view::npos) lookup.section = text.substr(open + 1, close - open - 1);
    }
    if (const size_t equals = text.find('='); equals != std::string_view::npos) {
        const size_t lineStart = text.rfind('\n', equals);
        const size_t from = lineStart == std::string_view::npos ? 0 : lineStart + 1;
        lookup.key = text.substr(from, equals - from);
    }
    return lookup;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ProfileReader reader = ProfileReader::fromText(text);
    const bool utf8 = lumo::fuzz::validUtf8(text);
    for (const Lookup& lookup : frameworkKeys)
        check(reader.get(lookup.section, lookup.key, lookup.defaultValue, lookup.kept), lookup.kept, utf8);
    const Lookup fromText = lookupFromText(text);
    check(reader.get(fromText.section, fromText.key, fromText.defaultValue, fromText.kept), fromText.kept, utf8);
    // The text itself as the default: long, and cut like a value.
    check(reader.get(fromText.section, fromText.key, text, fromText.kept), fromText.kept, utf8);
    return 0;
}
