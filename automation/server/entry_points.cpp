// The four entry points of libLUMOAudioPlayer.so.

#include <dlfcn.h>

#include "automation/class_factory.h"

using namespace lumo;

namespace {

std::filesystem::path thisLibrary() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 || !info.dli_fname) return {};
    return info.dli_fname;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const Guid& clsid, const Guid& iid, void** object) {
    return automation::getClassObject(clsid, iid, object);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return automation::canUnloadNow(); }

__attribute__((visibility("default"))) HRESULT DllRegisterServer() {
    return automation::registerServer(thisLibrary());
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() { return automation::unregisterServer(); }
}
