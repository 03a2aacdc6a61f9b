#include "platform/library/playlist_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <totem-pl-parser.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "platform/library/text.h"
#include "platform/library/unmarked_copy.h"
#include "platform/library/playlist_markup.h"

#if defined(__SANITIZE_ADDRESS__) || defined(LUMO_LEAK_CHECK)
#include <sanitizer/lsan_interface.h>
#endif

namespace lumo::platform::library {
namespace {

// totem-pl-parser 3.26 leaks the content type it guesses for a file it
// sniffs as plain text (an M3U without its header: a few bytes per file).
// Under the leak checker, what the parser allocates is ignored, what our
// callbacks allocate is not. (A suppression file cannot tell them apart: GLib
// has no frame pointers, so the leak's recorded stack ends in g_malloc.)
#if defined(__SANITIZE_ADDRESS__) || defined(LUMO_LEAK_CHECK)
struct IgnoreParserLeaks {
    IgnoreParserLeaks() { __lsan_disable(); }
    ~IgnoreParserLeaks() { __lsan_enable(); }
};
struct CheckOurLeaks {
    CheckOurLeaks() { __lsan_enable(); }
    ~CheckOurLeaks() { __lsan_disable(); }
};
#else
struct IgnoreParserLeaks {};
struct CheckOurLeaks {};
#endif

constexpr std::array<std::string_view, 8> Extensions{"m3u", "m3u8", "pls", "xspf", "asx", "wax", "wvx", "wpl"};

// Formats written on Windows, whose relative entries use backslashes.
bool windowsFormat(const std::string& extension) {
    return extension == "wpl" || extension == "asx" || extension == "wax" || extension == "wvx";
}

struct Collector {
    PlaylistFile* result;
    bool keepEntries;
    bool windows;
    const EntrySink* take = nullptr;
    const UnmarkedCopy* unmarked = nullptr;
    std::unordered_set<std::string> xspfLocations;  // as the file means them
    size_t kept = 0;
};

// totem-pl-parser escapes a relative XSPF location once more ("%C3%A9"
// becomes "%25C3%25A9"): the entry as the file meant it, when it has one.
std::string meantXspfEntry(std::string entry, const std::unordered_set<std::string>& locations) {
    if (locations.empty() || locations.contains(entry) || entry.find("%25") == std::string::npos) return entry;
    std::string unescaped;
    for (size_t at = 0; at < entry.size();) {
        const bool escapedPercent = entry.compare(at, 3, "%25") == 0;
        unescaped += escapedPercent ? '%' : entry[at];
        at += escapedPercent ? 3 : 1;
    }
    return locations.contains(unescaped) ? unescaped : entry;
}

std::string field(GHashTable* metadata, const char* name) {
    const auto* value = static_cast<const char*>(g_hash_table_lookup(metadata, name));
    return value ? validUtf8(value) : std::string();
}

std::optional<double> durationOf(GHashTable* metadata) {
    if (const auto* ms = static_cast<const char*>(g_hash_table_lookup(metadata, TOTEM_PL_PARSER_FIELD_DURATION_MS)))
        return g_ascii_strtod(ms, nullptr) / 1000.0;
    if (const auto* text = static_cast<const char*>(g_hash_table_lookup(metadata, TOTEM_PL_PARSER_FIELD_DURATION))) {
        const gint64 seconds = totem_pl_parser_parse_duration(text, FALSE);
        if (seconds > 0) return static_cast<double>(seconds);
    }
    return std::nullopt;
}

std::string windowsEntry(const std::string& uri) {
    auto path = localPathOf(uri);
    if (!path || path->native().find('\\') == std::string::npos) return uri;
    std::string slashed = path->native();
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    return fileUri(std::filesystem::path(slashed).lexically_normal());
}

void onEntry(TotemPlParser*, const char* uri, GHashTable* metadata, gpointer data) {
    [[maybe_unused]] const CheckOurLeaks checked;
    auto& collector = *static_cast<Collector*>(data);
    PlaylistFile& result = *collector.result;
    ++result.total;
    if (!collector.keepEntries || collector.kept >= PlaylistFile::MaxEntries) return;
    ++collector.kept;
    // Absolute paths come through as written; the rest are URIs, relative entries resolved.
    std::string entry = uri[0] == '/' ? fileUri(uri) : std::string(uri);
    if (collector.unmarked) entry = collector.unmarked->originalOf(entry);
    entry = meantXspfEntry(std::move(entry), collector.xspfLocations);
    if (collector.windows) entry = windowsEntry(entry);
    PlaylistEntry parsed{std::move(entry), field(metadata, TOTEM_PL_PARSER_FIELD_TITLE), durationOf(metadata)};
    if (collector.take)
        (*collector.take)(std::move(parsed));
    else
        result.entries.push_back(std::move(parsed));
}

void onStarted(TotemPlParser*, const char*, GHashTable* metadata, gpointer data) {
    [[maybe_unused]] const CheckOurLeaks checked;
    PlaylistFile& result = *static_cast<Collector*>(data)->result;
    if (result.title.empty()) result.title = field(metadata, TOTEM_PL_PARSER_FIELD_TITLE);
}

// The checks totem-pl-parser does not make: readable, not too large, text
// (UTF-16 after its mark).
std::string unfitReason(const std::filesystem::path& file, bool& empty, ByteOrderMark& mark) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::string("cannot be read: ") + std::strerror(errno);
    struct stat info {};
    std::string reason;
    std::array<char, 64 * 1024> head{};
    const ssize_t got = ::fstat(fd, &info) == 0 ? ::read(fd, head.data(), head.size()) : -1;
    if (got < 0)
        reason = std::string("cannot be read: ") + std::strerror(errno);
    else if (info.st_size > PlaylistFile::MaxBytes)
        reason = "too large for a playlist (" + std::to_string(info.st_size >> 20) + " MiB)";
    mark = got > 0 ? markOf({head.data(), static_cast<size_t>(got)}) : ByteOrderMark::None;
    const bool utf16 = mark == ByteOrderMark::Utf16LittleEndian || mark == ByteOrderMark::Utf16BigEndian;
    if (reason.empty() && !utf16 && std::find(head.begin(), head.begin() + got, '\0') != head.begin() + got)
        reason = "binary data, not a playlist";
    // A file of nothing but its mark is as empty as one without.
    empty = got == 0 || static_cast<size_t>(got) == (mark == ByteOrderMark::Utf8 ? 3 : utf16 ? 2 : 0);
    ::close(fd);
    return reason;
}

}  // namespace

bool isPlaylistFileName(const std::filesystem::path& file) {
    const std::string extension = extensionOf(file);
    return std::find(Extensions.begin(), Extensions.end(), extension) != Extensions.end();
}

namespace {

PlaylistFile read(const std::filesystem::path& file, bool keepEntries, const EntrySink* take) {
    PlaylistFile result;
    bool empty = false;
    ByteOrderMark mark = ByteOrderMark::None;
    result.problem = unfitReason(file, empty, mark);
    if (!result.problem.empty()) return result;
    if (empty) {
        result.isPlaylist = true;
        return result;
    }
    std::optional<UnmarkedCopy> unmarked;
    if (mark != ByteOrderMark::None) {
        unmarked.emplace(file, mark);
        if (unmarked->path().empty()) {
            result.problem = unmarked->problem();
            return result;
        }
    }
    result.isPlaylist = true;
    const std::filesystem::path& source = unmarked ? unmarked->path() : file;

    Collector collector{&result, keepEntries, windowsFormat(extensionOf(file)), take, unmarked ? &*unmarked : nullptr, {}};
    if (extensionOf(file) == "xspf") collector.xspfLocations = xspfLocations(source, fileUri(file));
    TotemPlParser* parser = totem_pl_parser_new();
    // Entries are not opened: a playlist inside a playlist stays one item, and nothing is fetched.
    g_object_set(parser, "recurse", FALSE, "disable-unsafe", TRUE, nullptr);
    g_signal_connect(parser, "entry-parsed", G_CALLBACK(onEntry), &collector);
    g_signal_connect(parser, "playlist-started", G_CALLBACK(onStarted), &collector);
    const std::string uri = fileUri(source);
    TotemPlParserResult parsed;
    {
        [[maybe_unused]] const IgnoreParserLeaks ignored;
        parsed = totem_pl_parser_parse(parser, uri.c_str(), FALSE);
    }
    g_object_unref(parser);

    if (parsed != TOTEM_PL_PARSER_RESULT_SUCCESS && result.total == 0) {
        result = PlaylistFile{};
        result.problem = "not a playlist that totem-pl-parser can read";
        return result;
    }
    if (result.title.empty() && extensionOf(file) == "wpl") result.title = wplTitle(source);
    if (result.total > PlaylistFile::MaxEntries)
        result.problem = "only the first " + std::to_string(PlaylistFile::MaxEntries) + " of " +
                         std::to_string(result.total) + " entries are used";
    return result;
}

}  // namespace

PlaylistFile readPlaylistFile(const std::filesystem::path& file, bool keepEntries) {
    return read(file, keepEntries, nullptr);
}

PlaylistFile readPlaylistFile(const std::filesystem::path& file, const EntrySink& take) {
    return read(file, true, &take);
}

}  // namespace lumo::platform::library
