#include "failsafe/text_file.h"

#include <fstream>
#include <sstream>

namespace lumo::failsafe {
namespace {

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string readTextFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return text.str();
}

std::string fieldOf(std::string_view text, std::string_view key, char separator) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (const size_t at = line.find(separator); at != std::string_view::npos && trimmed(line.substr(0, at)) == key)
            return std::string(trimmed(line.substr(at + 1)));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return {};
}

std::string unquoted(std::string text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace lumo::failsafe
