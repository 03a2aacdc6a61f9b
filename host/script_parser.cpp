#include "host/script_parser.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <stdexcept>

namespace lumo::host {
namespace {

// Thrown inside the parser only; parseLine turns it into ParsedLine::error.
struct BadLine : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool startsName(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool continuesName(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::optional<int32_t> integer(std::string_view text) {
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-')) return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
}

struct Token {
    std::string text;
    bool quoted = false;
};

// What a token means as an argument. An integer beyond 32 bits stays text,
// so that the object reports the overflow itself.
Variant valueOf(const Token& token) {
    if (token.quoted) return Variant(token.text);
    if (const std::optional<int32_t> number = integer(token.text)) return Variant(*number);
    if (equalsNoCase(token.text, "true")) return Variant::boolean(true);
    if (equalsNoCase(token.text, "false")) return Variant::boolean(false);
    return Variant(token.text);
}

class Scanner {
public:
    explicit Scanner(std::string_view line) : line_(line) {}

    size_t position() const { return at_; }
    std::string_view slice(size_t from, size_t to) const { return line_.substr(from, to - from); }
    char peek() const { return at_ < line_.size() ? line_[at_] : '\0'; }

    void skipSpace() {
        while (at_ < line_.size() && isSpace(line_[at_])) ++at_;
    }
    // The end of the line or of what comes before a comment.
    bool atEnd() {
        skipSpace();
        return at_ >= line_.size() || line_[at_] == '#';
    }
    bool take(char c) {
        if (peek() != c) return false;
        ++at_;
        return true;
    }
    std::string name(const char* what) {
        const size_t start = at_;
        if (!startsName(peek())) throw BadLine(std::string("expected ") + what + " at column " + column(start));
        while (continuesName(peek())) ++at_;
        return std::string(slice(start, at_));
    }
    std::optional<Token> token() {
        if (atEnd()) return std::nullopt;
        return peek() == '"' ? quoted() : bare();
    }
    std::vector<Token> rest() {
        std::vector<Token> tokens;
        while (std::optional<Token> next = token()) tokens.push_back(std::move(*next));
        return tokens;
    }
    std::string column(size_t index) const { return std::to_string(index + 1); }

private:
    Token quoted() {
        const size_t start = at_++;
        Token token{"", true};
        while (at_ < line_.size() && line_[at_] != '"') {
            char c = line_[at_++];
            if (c == '\\') {
                const char escaped = peek();
                if (escaped != '"' && escaped != '\\')
                    throw BadLine("unknown escape at column " + column(at_ - 1) + R"( (only \" and \\ are known))");
                c = escaped;
                ++at_;
            }
            token.text += c;
        }
        if (!take('"')) throw BadLine("text opened at column " + column(start) + " is not closed");
        if (at_ < line_.size() && !isSpace(line_[at_]))
            throw BadLine("expected a space after the text closed at column " + column(at_ - 1));
        return token;
    }
    Token bare() {
        const size_t start = at_;
        while (at_ < line_.size() && !isSpace(line_[at_])) {
            if (line_[at_] == '"') throw BadLine("quote inside a word at column " + column(at_));
            ++at_;
        }
        return Token{std::string(slice(start, at_)), false};
    }

    std::string_view line_;
    size_t at_ = 0;
};

int32_t milliseconds(Scanner& scan, const char* verb) {
    const std::optional<Token> token = scan.token();
    const std::optional<int32_t> ms = token && !token->quoted ? integer(token->text) : std::nullopt;
    if (!ms || *ms < 0) throw BadLine(std::string(verb) + " needs a number of milliseconds (0 or more)");
    return *ms;
}

void expectEnd(Scanner& scan, const char* what) {
    if (!scan.atEnd()) throw BadLine(std::string("unexpected text after ") + what + " at column " +
                                     scan.column(scan.position()));
}

std::string optionalLibrary(Scanner& scan, const char* verb) {
    const std::optional<Token> path = scan.token();
    expectEnd(scan, verb);
    return path ? path->text : std::string();
}

Statement hostVerb(Scanner& scan) {
    const std::string verb = ":" + scan.name("a host verb after ':'");
    if (verb == ":sleep") {
        const Sleep sleep{milliseconds(scan, ":sleep")};
        expectEnd(scan, ":sleep MS");
        return sleep;
    }
    if (verb == ":wait") {
        Wait wait;
        scan.skipSpace();
        const size_t start = scan.position();
        wait.property = scan.name("a property name after :wait");
        scan.skipSpace();
        if (!scan.take('=')) throw BadLine(":wait needs Property=value MS");
        scan.skipSpace();
        const std::optional<Token> value = scan.token();
        if (!value) throw BadLine(":wait needs a value after '='");
        wait.expected = valueOf(*value);
        wait.text = std::string(scan.slice(start, scan.position()));
        wait.timeoutMs = milliseconds(scan, ":wait");
        expectEnd(scan, ":wait Property=value MS");
        return wait;
    }
    if (verb == ":register") return Register{optionalLibrary(scan, ":register")};
    if (verb == ":unregister") return Unregister{optionalLibrary(scan, ":unregister")};
    if (verb == ":events") {
        const std::optional<Token> mode = scan.token();
        expectEnd(scan, ":events on|off");
        if (!mode || (!mode->quoted && mode->text == "on")) return Events{true};
        if (!mode->quoted && mode->text == "off") return Events{false};
        throw BadLine(":events takes on or off, not " + mode->text);
    }
    throw BadLine("unknown host verb " + verb + " (known: :wait, :sleep, :register, :unregister, :events)");
}

Statement operation(Scanner& scan) {
    std::string name = scan.name("an operation or property name");
    if (scan.peek() != '\0' && !isSpace(scan.peek()) && scan.peek() != '=')
        throw BadLine("'" + name + scan.peek() + "...' is not a name: names hold letters, digits and '_'");
    scan.skipSpace();
    if (scan.take('=')) {
        std::vector<Token> values = scan.rest();
        if (values.size() != 1) throw BadLine("an assignment takes exactly one value: " + name + " = value");
        return Assignment{std::move(name), valueOf(values.front())};
    }
    Call call{std::move(name), {}};
    for (const Token& token : scan.rest()) call.arguments.push_back(valueOf(token));
    return call;
}

}  // namespace

ParsedLine parseLine(std::string_view line) {
    ParsedLine parsed;
    try {
        Scanner scan(line);
        if (scan.atEnd()) return parsed;
        parsed.statement = scan.take(':') ? hostVerb(scan) : operation(scan);
    } catch (const BadLine& bad) {
        parsed.error = bad.what();
    }
    return parsed;
}

}  // namespace lumo::host
