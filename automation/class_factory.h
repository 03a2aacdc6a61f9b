#pragma once
// The class factory of cLUMOAudio and what the library's entry points do.

#include <filesystem>

#include "lumo/lumo_audio.h"

namespace lumo::automation {

HRESULT getClassObject(const Guid& clsid, const Guid& iid, void** object);
HRESULT canUnloadNow();
// Registers the ProgID for the user, pointing at `library`.
HRESULT registerServer(const std::filesystem::path& library);
HRESULT unregisterServer();

}  // namespace lumo::automation
