#include "failsafe/mail/mime_encoding.h"

#include <array>

namespace lumo::failsafe::mime {
namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view hexDigits = "0123456789ABCDEF";

std::string base64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (left > 1) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (left > 2) group |= static_cast<uint8_t>(bytes[i + 2]);
        out.push_back(alphabet[(group >> 18) & 63]);
        out.push_back(alphabet[(group >> 12) & 63]);
        out.push_back(left > 1 ? alphabet[(group >> 6) & 63] : '=');
        out.push_back(left > 2 ? alphabet[group & 63] : '=');
    }
    return out;
}

// One line of quoted-printable, soft-broken so that no output line passes 76.
void appendQuotedLine(std::string& out, std::string_view line) {
    size_t width = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<uint8_t>(line[i]);
        const bool last = i + 1 == line.size();
        // Blanks at a line's end would be stripped in transit.
        const bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
        const size_t size = literal ? 1 : 3;
        if (width + size > 75) {
            out.append("=\r\n");
            width = 0;
        }
        if (literal) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('=');
            out.push_back(hexDigits[c >> 4]);
            out.push_back(hexDigits[c & 15]);
        }
        width += size;
    }
}

}  // namespace

std::string base64Lines(std::string_view bytes) {
    const std::string encoded = base64(bytes);
    std::string out;
    for (size_t at = 0; at < encoded.size(); at += 76) {
        if (at > 0) out.append("\r\n");
        out.append(encoded, at, 76);
    }
    return out;
}

std::string quotedPrintable(std::string_view text) {
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        appendQuotedLine(out, text.substr(start, end - start));
        if (end == text.size()) return out;
        out.append("\r\n");
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

std::string headerText(std::string_view text) {
    std::string clean(text);
    bool plain = true;
    for (char& c : clean) {
        const auto u = static_cast<uint8_t>(c);
        if (u < 32 || u == 127) c = ' ';
        if (u >= 128) plain = false;
    }
    if (plain) return clean;
    // Encoded words of at most 45 bytes each, cut between UTF-8 characters.
    std::string out;
    size_t start = 0;
    while (start < clean.size()) {
        size_t end = std::min(clean.size(), start + 45);
        while (end < clean.size() && end > start + 1 && (static_cast<uint8_t>(clean[end]) & 0xC0) == 0x80) --end;
        if (!out.empty()) out.append("\r\n ");
        out.append("=?UTF-8?B?").append(base64(std::string_view(clean).substr(start, end - start))).append("?=");
        start = end;
    }
    return out;
}

}  // namespace lumo::failsafe::mime
