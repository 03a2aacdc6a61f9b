#include "platform/library/playlist_markup.h"

#include <glib.h>

#include <vector>

#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

struct TitleSearch {
    std::vector<std::string> open;  // element names from the root down
    std::string title;
    bool done = false;
};

bool inTitle(const TitleSearch& search) {
    return search.open.size() == 3 && lowerAscii(search.open[0]) == "smil" && lowerAscii(search.open[1]) == "head" &&
           lowerAscii(search.open[2]) == "title";
}

void onStart(GMarkupParseContext*, const gchar* name, const gchar**, const gchar**, gpointer data, GError**) {
    static_cast<TitleSearch*>(data)->open.emplace_back(name);
}

void onEnd(GMarkupParseContext*, const gchar*, gpointer data, GError** error) {
    auto& search = *static_cast<TitleSearch*>(data);
    if (inTitle(search)) {
        search.done = true;
        // Stop reading: the rest of the file does not matter.
        g_set_error_literal(error, G_MARKUP_ERROR, G_MARKUP_ERROR_INVALID_CONTENT, "title found");
    }
    search.open.pop_back();
}

void onText(GMarkupParseContext*, const gchar* text, gsize length, gpointer data, GError**) {
    auto& search = *static_cast<TitleSearch*>(data);
    if (inTitle(search)) search.title.append(text, length);
}

struct LocationSearch {
    std::vector<std::string> open;
    std::string text;
    const std::string* base;
    std::unordered_set<std::string> found;
};

bool inLocation(const std::vector<std::string>& open) {
    const size_t n = open.size();
    return n >= 2 && lowerAscii(open[n - 1]) == "location" && lowerAscii(open[n - 2]) == "track";
}

void onLocationStart(GMarkupParseContext*, const gchar* name, const gchar**, const gchar**, gpointer data, GError**) {
    auto& search = *static_cast<LocationSearch*>(data);
    search.open.emplace_back(name);
    search.text.clear();
}

void onLocationEnd(GMarkupParseContext*, const gchar*, gpointer data, GError**) {
    auto& search = *static_cast<LocationSearch*>(data);
    if (inLocation(search.open)) {
        const std::string reference(trimmed(search.text));
        gchar* resolved = g_uri_resolve_relative(search.base->c_str(), reference.c_str(), G_URI_FLAGS_ENCODED, nullptr);
        if (resolved) search.found.emplace(resolved);
        g_free(resolved);
    }
    search.open.pop_back();
}

void onLocationText(GMarkupParseContext*, const gchar* text, gsize length, gpointer data, GError**) {
    auto& search = *static_cast<LocationSearch*>(data);
    if (inLocation(search.open)) search.text.append(text, length);
}

// Runs a GMarkup parser over the whole file; false when it cannot be read.
bool parseFile(const std::filesystem::path& file, const GMarkupParser& parser, gpointer data) {
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(file.c_str(), &contents, &length, nullptr)) return false;
    GMarkupParseContext* context = g_markup_parse_context_new(&parser, G_MARKUP_IGNORE_QUALIFIED, data, nullptr);
    g_markup_parse_context_parse(context, contents, static_cast<gssize>(length), nullptr);
    g_markup_parse_context_free(context);
    g_free(contents);
    return true;
}

}  // namespace

std::unordered_set<std::string> xspfLocations(const std::filesystem::path& file, const std::string& baseUri) {
    LocationSearch search{{}, {}, &baseUri, {}};
    parseFile(file, GMarkupParser{onLocationStart, onLocationEnd, onLocationText, nullptr, nullptr}, &search);
    return std::move(search.found);
}

std::string wplTitle(const std::filesystem::path& file) {
    TitleSearch search;
    if (!parseFile(file, GMarkupParser{onStart, onEnd, onText, nullptr, nullptr}, &search) || !search.done) return {};
    return std::string(trimmed(validUtf8(search.title)));
}

}  // namespace lumo::platform::library
