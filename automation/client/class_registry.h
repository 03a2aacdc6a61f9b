#pragma once
// The class registration: one small file per ProgID naming the class id and
// the library, the user's under $XDG_DATA_HOME/lumo/classes/, the system's
// (written by a package) under $XDG_DATA_DIRS/lumo/classes/. The user's wins.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// The system's folders in the order they are searched.
std::vector<std::filesystem::path> systemClassesFolders();
// The file a ProgID resolves through: the user's, else the first system one.
std::optional<std::filesystem::path> findRegistrationFile(std::string_view progId);

std::optional<Guid> parseGuid(std::string_view text);

// The user's or else the system's registration. Nothing when there is none; `why` says what is wrong with one
// that cannot be read.
std::optional<Registration> readRegistration(std::string_view progId, std::string* why = nullptr);
// The file's text.
std::string registrationText(const Registration& registration);
// Written to a new file renamed over the old one (mode 0644: only the user
// can change it).
bool writeRegistration(const Registration& registration, std::string* why = nullptr);
bool removeRegistration(std::string_view progId);

}  // namespace lumo::registry
