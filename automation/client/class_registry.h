#pragma once
// The per-user class registration: one small file per ProgID under
// $XDG_DATA_HOME/lumo/classes/ naming the class id and the library.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "lumo/com.h"

namespace lumo::registry {

struct Registration {
    std::string progId;
    Guid clsid{};
    std::filesystem::path library;
};

// False for an empty name or one with characters a ProgID cannot hold.
bool isValidProgId(std::string_view progId);
std::filesystem::path classesFolder();

std::optional<Guid> parseGuid(std::string_view text);

// Nothing when there is no registration; `why` says what is wrong with one
// that cannot be read.
std::optional<Registration> readRegistration(std::string_view progId, std::string* why = nullptr);
// Written to a new file renamed over the old one (mode 0644: only the user
// can change it).
bool writeRegistration(const Registration& registration, std::string* why = nullptr);
bool removeRegistration(std::string_view progId);

}  // namespace lumo::registry
