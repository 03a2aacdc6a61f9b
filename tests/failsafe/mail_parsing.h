#pragma once
// Reads a mail message back the way a mail program would: headers (encoded
// words decoded), the text part (quoted-printable decoded) and the attached
// files (base64 decoded), so that tests compare what a recipient gets.

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumo::failsafe::testing {

struct ParsedPart {
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;                            // decoded
};

struct ParsedMail {
    std::map<std::string, std::string> headers;
    std::vector<std::string> headerNames;  // in order, as written
    std::string text;
    std::vector<ParsedPart> attachments;
};

inline std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

inline std::string decodeBase64(const std::string& text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=' || c == '\r' || c == '\n') continue;
        const size_t value = alphabet.find(c);
        if (value == std::string::npos) throw std::runtime_error(std::string("not base64: ") + c);
        group = (group << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((group >> bits) & 0xFF));
        }
    }
    return out;
}

inline std::string decodeQuotedPrintable(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out.push_back(text[i]);
        } else if (text.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;  // soft line break
        } else {
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        }
    }
    return out;
}

// "=?UTF-8?B?...?=" words (folded with CR LF and a blank) back to text.
inline std::string decodeHeader(const std::string& value) {
    if (value.rfind("=?UTF-8?B?", 0) != 0) return value;
    std::string out;
    size_t at = 0;
    while ((at = value.find("=?UTF-8?B?", at)) != std::string::npos) {
        const size_t end = value.find("?=", at + 10);
        out += decodeBase64(value.substr(at + 10, end - at - 10));
        at = end + 2;
    }
    return out;
}

// Splits "headers CR LF CR LF body"; folded header lines are joined.
inline std::map<std::string, std::string> splitHeaders(const std::string& text, std::string& body,
                                                       std::vector<std::string>* names = nullptr) {
    const size_t end = text.find("\r\n\r\n");
    if (end == std::string::npos) throw std::runtime_error("no end of headers");
    body = text.substr(end + 4);
    std::map<std::string, std::string> headers;
    std::string last;
    size_t start = 0;
    while (start < end) {
        size_t lineEnd = text.find("\r\n", start);
        if (lineEnd > end) lineEnd = end;
        const std::string line = text.substr(start, lineEnd - start);
        start = lineEnd + 2;
        if (line.starts_with(' ')) {
            headers[last] += line;
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos) throw std::runtime_error("bad header line: " + line);
        last = lowerCase(line.substr(0, colon));
        if (names) names->push_back(line.substr(0, colon));
        headers[last] = line.substr(colon + 2);
    }
    for (auto& [name, value] : headers) value = decodeHeader(value);
    return headers;
}

inline ParsedPart parsePart(const std::string& text) {
    ParsedPart part;
    std::string body;
    part.headers = splitHeaders(text, body);
    const std::string encoding = part.headers["content-transfer-encoding"];
    part.body = encoding == "base64" ? decodeBase64(body) : encoding == "quoted-printable" ? decodeQuotedPrintable(body) : body;
    return part;
}

inline ParsedMail parseMail(const std::string& mail) {
    ParsedMail parsed;
    std::string body;
    parsed.headers = splitHeaders(mail, body, &parsed.headerNames);
    const std::string type = parsed.headers["content-type"];
    const size_t boundaryAt = type.find("boundary=\"");
    if (boundaryAt == std::string::npos) {
        parsed.text = parsePart(mail).body;
        // The line end that closes the message is not part of the text.
        if (parsed.text.ends_with("\r\n")) parsed.text.resize(parsed.text.size() - 2);
        return parsed;
    }
    const std::string boundary = type.substr(boundaryAt + 10, type.find('"', boundaryAt + 10) - boundaryAt - 10);
    const std::string delimiter = "\r\n--" + boundary;
    size_t at = body.find("--" + boundary + "\r\n");
    if (at != 0) throw std::runtime_error("no first boundary");
    at += boundary.size() + 4;
    bool first = true;
    for (;;) {
        const size_t end = body.find(delimiter, at);
        if (end == std::string::npos) throw std::runtime_error("unterminated part");
        ParsedPart part = parsePart(body.substr(at, end - at));
        if (first) parsed.text = part.body;
        else parsed.attachments.push_back(std::move(part));
        first = false;
        at = end + delimiter.size();
        if (body.compare(at, 4, "--\r\n") == 0) break;
        at += 2;
    }
    return parsed;
}

}  // namespace lumo::failsafe::testing
