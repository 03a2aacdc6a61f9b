#pragma once
// lumo-host [--library PATH] [--progid PROGID] [-e CALL]... [SCRIPT | -]
//
// The -e calls run first, in their order, then the script file, or standard
// input when the script is "-" or when neither a script nor -e is given.

#include <span>
#include <string>
#include <vector>

namespace lumo::host {

struct CommandLine {
    std::string library;  // for :register and :unregister
    std::string progId;
    std::vector<std::string> calls;
    std::string script;  // "-": standard input; empty: none named
    bool help = false;

    bool readsStandardInput() const { return script == "-" || (script.empty() && calls.empty()); }
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // empty when the arguments made sense
};

// The arguments after the program name.
ParsedCommandLine parseCommandLine(std::span<const std::string> arguments);
std::string usage();

}  // namespace lumo::host
