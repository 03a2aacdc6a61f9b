#include "host/script_session.h"

#include <fstream>
#include <string>
#include <vector>

namespace lumo::host {
namespace {

// Editors on other systems may start a file with a byte order mark.
void dropByteOrderMark(std::string& firstLine) {
    if (firstLine.starts_with("\xEF\xBB\xBF")) firstLine.erase(0, 3);
}

struct Located {
    std::string where;  // "script.lumo:3", "-e 1", "stdin:2"
    Statement statement;
};

// Parses `text`; false (with the message written) when it is not a line.
bool parseInto(const std::string& where, const std::string& text, std::vector<Located>& into, std::ostream& errors) {
    ParsedLine parsed = parseLine(text);
    if (!parsed.ok()) {
        errors << "lumo-host: " << where << ": " << parsed.error << "\n    " << text << "\n";
        return false;
    }
    if (parsed.statement) into.push_back({where, std::move(*parsed.statement)});
    return true;
}

bool runAll(const std::vector<Located>& statements, ScriptRunner& runner, std::ostream& errors) {
    for (const Located& located : statements) {
        std::string failure;
        if (!runner.run(located.statement, &failure)) {
            errors << "lumo-host: " << located.where << ": " << failure << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace

int runSession(const CommandLine& options, ScriptRunner& runner, std::istream& input, std::ostream& errors) {
    std::vector<Located> statements;
    for (size_t i = 0; i < options.calls.size(); ++i)
        if (!parseInto("-e " + std::to_string(i + 1), options.calls[i], statements, errors)) return 2;
    if (!options.script.empty() && options.script != "-") {
        std::ifstream file(options.script);
        if (!file) {
            errors << "lumo-host: cannot read the script " << options.script << "\n";
            return 2;
        }
        std::string text;
        for (int number = 1; std::getline(file, text); ++number) {
            if (number == 1) dropByteOrderMark(text);
            if (!parseInto(options.script + ":" + std::to_string(number), text, statements, errors)) return 2;
        }
    }
    if (!runAll(statements, runner, errors)) return 2;
    if (!options.readsStandardInput()) return 0;
    std::string text;
    for (int number = 1; std::getline(input, text); ++number) {
        if (number == 1) dropByteOrderMark(text);
        std::vector<Located> one;
        if (!parseInto("stdin:" + std::to_string(number), text, one, errors) || !runAll(one, runner, errors)) return 2;
    }
    return 0;
}

}  // namespace lumo::host
