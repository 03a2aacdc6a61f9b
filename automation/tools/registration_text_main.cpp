// Prints the class registration a package installs for the system:
//   lumo-registration-text /usr/lib/libLUMOAudioPlayer.so.0

#include <cstdio>
#include <filesystem>

#include "automation/client/class_registry.h"
#include "lumo/lumo_audio.h"

int main(int argc, char** argv) {
    if (argc != 2 || !std::filesystem::path(argv[1]).is_absolute()) {
        std::fprintf(stderr, "usage: lumo-registration-text ABSOLUTE-LIBRARY-PATH\n");
        return 2;
    }
    const std::string text = lumo::registry::registrationText({lumo::kProgId, lumo::CLSID_cLUMOAudio, argv[1]});
    std::fputs(text.c_str(), stdout);
    return 0;
}
