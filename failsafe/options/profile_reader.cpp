#include "failsafe/options/profile_reader.h"

#include <fstream>
#include <iterator>

#include "failsafe/value.h"

namespace lumo::failsafe {
namespace {

std::string_view trimBlanks(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Cuts to `kept` characters without splitting a UTF-8 sequence.
std::string cut(std::string_view value, size_t kept) {
    if (value.size() <= kept) return std::string(value);
    size_t end = kept;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    return std::string(value.substr(0, end));
}

}  // namespace

ProfileReader::ProfileReader(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return;
    exists_ = true;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    parse(text);
}

ProfileReader ProfileReader::fromText(std::string_view text) {
    ProfileReader reader;
    reader.exists_ = true;
    reader.parse(text);
    return reader;
}

void ProfileReader::parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string section;
    bool inSection = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = trimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        // A NUL ends the readable part of a line, as it ended the C strings
        // the profile functions worked on.
        if (const size_t nul = line.find('\0'); nul != std::string_view::npos) line = trimBlanks(line.substr(0, nul));
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            section = std::string(trimBlanks(line.substr(1, close - 1)));
            inSection = true;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        entries_.push_back({section, std::string(trimBlanks(line.substr(0, equals))),
                            std::string(trimBlanks(line.substr(equals + 1)))});
    }
}

std::string ProfileReader::get(std::string_view section, std::string_view key, std::string_view defaultValue,
                               size_t kept) const {
    // Sections of the same name (in any letter case) count as one, searched in
    // file order: "[Log File]" and "[log file]" both hold log settings.
    for (const Entry& entry : entries_) {
        if (equalsIgnoringCase(entry.section, trimBlanks(section)) && equalsIgnoringCase(entry.key, trimBlanks(key)))
            return cut(withoutQuotes(entry.value), kept);
    }
    return cut(trimBlanks(defaultValue), kept);
}

}  // namespace lumo::failsafe
