#pragma once
// Creating an object by its ProgID, the way any host does: the per-user
// registration under $XDG_DATA_HOME/lumo/classes/ names the class id and
// the library; the library is loaded and its class factory asked.

#include <filesystem>
#include <string>
#include <string_view>

#include "lumo/com.h"

namespace lumo {

struct CreatedObject {
    ComPtr<IDispatch> object;  // null on failure
    HRESULT result = hr::S_OK;
    std::string error;  // what went wrong, for a person
};

CreatedObject CreateObject(std::string_view progId);

// Where the registration of a ProgID lives.
std::filesystem::path registrationFile(std::string_view progId);

// Calls the entry point `name` ("DllRegisterServer", ...) of a library.
HRESULT callEntryPoint(const std::filesystem::path& library, const char* name, std::string* error);

}  // namespace lumo
