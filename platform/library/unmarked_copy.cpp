#include "platform/library/unmarked_copy.h"

#include <glib.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

struct GFree {
    void operator()(void* memory) const { g_free(memory); }
};
using GText = std::unique_ptr<char, GFree>;

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

std::string_view markBytes(ByteOrderMark mark) {
    switch (mark) {
        case ByteOrderMark::Utf8: return Utf8Mark;
        case ByteOrderMark::Utf16LittleEndian:
        case ByteOrderMark::Utf16BigEndian: return "\xFF\xFE";  // both are two bytes long
        case ByteOrderMark::None: break;
    }
    return {};
}

// An XML declaration that names UTF-16 would make the parser read the UTF-8
// copy as UTF-16: it names UTF-8 instead.
void declareUtf8(std::string& text) {
    if (!text.starts_with("<?xml")) return;
    const size_t end = text.find("?>");
    const size_t at = text.find("encoding", 0);
    if (end == std::string::npos || at == std::string::npos || at > end) return;
    const size_t open = text.find_first_of("\"'", at);
    if (open == std::string::npos || open > end) return;
    const size_t close = text.find(text[open], open + 1);
    if (close == std::string::npos || close > end) return;
    text.replace(open + 1, close - open - 1, "UTF-8");
}

}  // namespace

ByteOrderMark markOf(std::string_view head) {
    if (head.starts_with(Utf8Mark)) return ByteOrderMark::Utf8;
    if (head.starts_with("\xFF\xFE")) return ByteOrderMark::Utf16LittleEndian;
    if (head.starts_with("\xFE\xFF")) return ByteOrderMark::Utf16BigEndian;
    return ByteOrderMark::None;
}

UnmarkedCopy::UnmarkedCopy(const std::filesystem::path& file, ByteOrderMark mark) {
    gchar* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(file.c_str(), &contents, &length, &error)) {
        problem_ = std::string("cannot be read: ") + error->message;
        g_error_free(error);
        return;
    }
    const GText original(contents);
    const size_t skipped = std::min<size_t>(markBytes(mark).size(), length);
    std::string text;
    if (mark == ByteOrderMark::Utf8) {
        text.assign(contents + skipped, length - skipped);
    } else {
        const char* encoding = mark == ByteOrderMark::Utf16LittleEndian ? "UTF-16LE" : "UTF-16BE";
        gsize written = 0;
        const GText converted(g_convert(contents + skipped, static_cast<gssize>(length - skipped), "UTF-8",
                                        encoding, nullptr, &written, &error));
        if (!converted) {
            problem_ = std::string("not valid ") + encoding + " text: " + error->message;
            g_error_free(error);
            return;
        }
        text.assign(converted.get(), written);
        declareUtf8(text);
    }

    const GText folder(g_dir_make_tmp("lumo-playlist-XXXXXX", &error));
    if (!folder) {
        problem_ = std::string("cannot be copied without its byte-order mark: ") + error->message;
        g_error_free(error);
        return;
    }
    folder_ = folder.get();
    folderUri_ = fileUri(folder_);
    std::error_code ignored;
    const std::filesystem::path copy = folder_ / std::filesystem::absolute(file, ignored).relative_path();
    if (g_mkdir_with_parents(copy.parent_path().c_str(), 0700) != 0 ||
        !g_file_set_contents(copy.c_str(), text.data(), static_cast<gssize>(text.size()), &error)) {
        problem_ = std::string("cannot be copied without its byte-order mark: ") + error->message;
        g_error_free(error);
        return;
    }
    copy_ = copy;
}

UnmarkedCopy::~UnmarkedCopy() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

std::string UnmarkedCopy::originalOf(const std::string& uri) const {
    // file:///tmp/lumo-playlist-X/home/a/b.mp3 -> file:///home/a/b.mp3
    if (folderUri_.empty() || !uri.starts_with(folderUri_ + "/")) return uri;
    return "file://" + uri.substr(folderUri_.size());
}

}  // namespace lumo::platform::library
