#include "platform/library/wpl_title.h"

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

}  // namespace

std::string wplTitle(const std::filesystem::path& file) {
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(file.c_str(), &contents, &length, nullptr)) return {};
    TitleSearch search;
    const GMarkupParser parser{onStart, onEnd, onText, nullptr, nullptr};
    GMarkupParseContext* context = g_markup_parse_context_new(&parser, G_MARKUP_IGNORE_QUALIFIED, &search, nullptr);
    g_markup_parse_context_parse(context, contents, static_cast<gssize>(length), nullptr);
    g_markup_parse_context_free(context);
    g_free(contents);
    if (!search.done) return {};
    return std::string(trimmed(validUtf8(search.title)));
}

}  // namespace lumo::platform::library
