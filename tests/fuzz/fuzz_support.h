#pragma once
// Small helpers the fuzz targets share. A property that does not hold ends
// the run through abort(), which libFuzzer reports with the input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace lumo::fuzz {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds) fail(what);
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF, no sequence cut short.
inline bool validUtf8(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        size_t length = 0;
        unsigned min = 0;
        if (lead < 0x80) {
            ++at;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) length = 2, min = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3, min = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4, min = 0x10000;
        else return false;
        if (at + length > text.size()) return false;
        unsigned code = lead & (0xFF >> (length + 1));
        for (size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        at += length;
    }
    return true;
}

}  // namespace lumo::fuzz
