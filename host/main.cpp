// lumo-host: calls LUMO Audio Player's operations by name from a script.
// It knows the library only through its ProgID registration, as any host.

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "host/library_path.h"
#include "host/script_session.h"

namespace {

std::filesystem::path thisExecutable() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumo::host;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.error.empty()) {
        std::cerr << "lumo-host: " << parsed.error << "\n" << usage();
        return 2;
    }
    const CommandLine& options = parsed.options;
    if (options.help) {
        std::cout << usage();
        return 0;
    }
    const char* environment = std::getenv("LUMO_LIBRARY");
    RunnerSetup setup;
    setup.progId = options.progId;
    setup.create = [](std::string_view progId) { return lumo::CreateObject(progId); };
    setup.library = [&](const std::string& named) {
        return findLibrary({named.empty() ? options.library : named, environment ? environment : "",
                            thisExecutable(), options.progId});
    };
    setup.out = &std::cout;
    ScriptRunner runner(std::move(setup));
    return runSession(options, runner, std::cin, std::cerr);
}
