#include "host/command_line.h"

#include "lumo/lumo_audio.h"

namespace lumo::host {
namespace {

// "--name VALUE" or "--name=VALUE"; false when `argument` is not --name.
bool valueOption(std::span<const std::string> arguments, size_t& i, const std::string& name, std::string& value,
                 std::string& error) {
    const std::string& argument = arguments[i];
    if (argument.starts_with(name + "=")) {
        value = argument.substr(name.size() + 1);
    } else if (argument == name) {
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return true;
        }
        value = arguments[++i];
    } else {
        return false;
    }
    if (value.empty()) error = name + " needs a value";
    return true;
}

}  // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string> arguments) {
    ParsedCommandLine parsed;
    CommandLine& options = parsed.options;
    options.progId = kProgId;
    bool optionsEnd = false;
    for (size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        if (optionsEnd || argument == "-" || !argument.starts_with("-")) {
            if (!options.script.empty()) parsed.error = "more than one script: " + options.script + ", " + argument;
            options.script = argument;
        } else if (argument == "--") {
            optionsEnd = true;
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "-e") {
            if (i + 1 >= arguments.size())
                parsed.error = "-e needs a call";
            else
                options.calls.push_back(arguments[++i]);
        } else if (argument == "--register" || argument == "--unregister") {
            // The same as the statement, run before any other call.
            options.calls.insert(options.calls.begin(), ":" + argument.substr(2));
        } else if (valueOption(arguments, i, "--library", value, parsed.error)) {
            options.library = value;
        } else if (valueOption(arguments, i, "--progid", value, parsed.error)) {
            options.progId = value;
        } else {
            parsed.error = "unknown option " + argument;
        }
    }
    return parsed;
}

std::string usage() {
    return "usage: lumo-host [--library PATH] [--progid PROGID] [--register | --unregister] [-e CALL]... [SCRIPT | -]\n"
           "Calls the operations of LUMOAudioPlayer.cLUMOAudio by name, one call per line, and prints one\n"
           "JSON object per call. The -e calls run first, then SCRIPT, or standard input when SCRIPT is '-'\n"
           "or when neither SCRIPT nor -e is given.\n"
           "  Operation arg ...          call (args: integers, true/false, \"text\", bare words)\n"
           "  Property / Property = v    read / assign a property\n"
           "  :wait Property=value MS    poll until the property reads value\n"
           "  :sleep MS                  pause\n"
           "  :events [on|off]           print each event of the object as a JSON line\n"
           "  :register [LIB]            call the library's DllRegisterServer (LIB: --library,\n"
           "  :unregister [LIB]          $LUMO_LIBRARY, ../lib beside lumo-host, the registered one)\n"
           "Exit status: 0 when every line ran, 2 for a line that does not parse or an object that\n"
           "cannot be created.\n";
}

}  // namespace lumo::host
