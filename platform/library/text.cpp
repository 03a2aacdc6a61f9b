#include "platform/library/text.h"

#include <glib.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace lumo::platform::library {
namespace {

struct GFree {
    void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFree>;

}  // namespace

std::string validUtf8(std::string_view bytes) {
    if (g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr)) return std::string(bytes);
    GText valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
    return valid.get();
}

std::string pathText(const std::filesystem::path& path) { return validUtf8(path.native()); }

std::string stemText(const std::filesystem::path& path) { return validUtf8(path.stem().native()); }

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string foldedCase(std::string_view text) {
    // Most tags are ASCII: no allocation beyond the copy for those.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return lowerAscii(text);
    const std::string valid = validUtf8(text);
    GText composed(g_utf8_normalize(valid.data(), static_cast<gssize>(valid.size()), G_NORMALIZE_DEFAULT_COMPOSE));
    if (!composed) return valid;
    GText folded(g_utf8_casefold(composed.get(), -1));
    return folded ? std::string(folded.get()) : valid;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string extensionOf(const std::filesystem::path& path) {
    // What path::extension() gives, read from the text: the library asks for
    // every file it lists, and building the path's parts costs more than the rest.
    const std::string_view text = path.native();
    const size_t slash = text.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? text : text.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name == "..") return {};
    return lowerAscii(name.substr(dot + 1));
}

std::string fileUri(const std::string& path) {
    std::error_code ignored;
    const std::string absolute =
        path.empty() || path.front() != '/' ? std::filesystem::absolute(path, ignored).native() : path;
    GText uri(g_filename_to_uri(absolute.c_str(), nullptr, nullptr));
    return uri ? std::string(uri.get()) : std::string();
}

std::optional<std::filesystem::path> localPathOf(std::string_view uri) {
    if (lowerAscii(uri.substr(0, 7)) != "file://") return std::nullopt;
    GText path(g_filename_from_uri(std::string(uri).c_str(), nullptr, nullptr));
    if (!path) return std::nullopt;
    return std::filesystem::path(path.get());
}


}  // namespace lumo::platform::library
