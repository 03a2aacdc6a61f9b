// lumo-fault-helper <command> <arguments>; the commands are listed in usage().
#include <unistd.h>

#include <cstdio>
#include <map>

#include "helper.h"

namespace lumo::faults {

void say(std::string_view line) {
    std::string text(line);
    text += '\n';
    for (size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (written <= 0) return;
        done += static_cast<size_t>(written);
    }
}

}  // namespace lumo::faults

namespace {

int usage() {
    std::fputs(
        "usage: lumo-fault-helper settings write APP SECTION KEY VALUE\n"
        "       lumo-fault-helper settings loop APP SECTION KEY\n"
        "       lumo-fault-helper index refresh INDEX MUSIC\n"
        "       lumo-fault-helper index loop INDEX MUSIC\n"
        "       lumo-fault-helper index lock INDEX\n"
        "       lumo-fault-helper trace log FOLDER [LOGFILE]\n"
        "       lumo-fault-helper trace loop FOLDER\n"
        "       lumo-fault-helper play URI\n"
        "       lumo-fault-helper stalled STALLED_URI NEXT_URI\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumo::faults;
    if (argc < 2) return usage();
    const std::map<std::string, int (*)(const Arguments&)> commands = {
        {"settings", settingsCommand}, {"index", indexCommand}, {"trace", traceCommand}, {"play", playCommand},
        {"stalled", stalledCommand}};
    const auto command = commands.find(argv[1]);
    if (command == commands.end()) return usage();
    const int result = command->second(Arguments(argv + 2, argv + argc));
    return result == 2 ? usage() : result;
}
