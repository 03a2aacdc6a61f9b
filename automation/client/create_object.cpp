#include <dlfcn.h>

#include "automation/client/class_registry.h"
#include "lumo/create_object.h"
#include "lumo/lumo_audio.h"

namespace lumo {
namespace {

using GetClassObject = HRESULT (*)(const Guid&, const Guid&, void**);

// Libraries stay loaded for the life of the process: objects and their
// code may be referenced anywhere in the host.
void* load(const std::filesystem::path& library, std::string* error) {
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) {
        const char* why = ::dlerror();
        *error = "cannot load " + library.string() + ": " + (why ? why : "unknown reason");
    }
    return handle;
}

// Every place that was searched, and how to register.
std::string notRegistered(std::string_view progId) {
    std::string folders;
    for (const std::filesystem::path& folder : registry::systemClassesFolders())
        folders += (folders.empty() ? "" : ", ") + folder.string();
    return std::string(progId) + " is not registered: no " + registrationFile(progId).string() +
           " (the user's) and no " + std::string(progId) + ".class in " + (folders.empty() ? "no system folder" : folders) +
           " (the system's); install the package or run lumo-host --register";
}

}  // namespace

HRESULT callEntryPoint(const std::filesystem::path& library, const char* name, std::string* error) {
    void* handle = load(library, error);
    if (!handle) return hr::CO_E_DLLNOTFOUND;
    auto entry = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, name));
    if (!entry) {
        if (error) *error = library.string() + " has no entry point " + name;
        return hr::E_NOTIMPL;
    }
    return entry();
}

CreatedObject CreateObject(std::string_view progId) {
    CreatedObject created;
    auto fail = [&](HRESULT result, std::string why) {
        created.result = result;
        created.error = std::move(why);
        return created;
    };
    if (!registry::isValidProgId(progId)) return fail(hr::CO_E_CLASSSTRING, "'" + std::string(progId) + "' is not a ProgID");
    std::string why;
    const std::optional<registry::Registration> registration = registry::readRegistration(progId, &why);
    if (!registration) {
        if (why.empty()) why = notRegistered(progId);
        return fail(hr::REGDB_E_CLASSNOTREG, why);
    }
    std::error_code error;
    if (!std::filesystem::exists(registration->library, error))
        return fail(hr::CO_E_DLLNOTFOUND, "the library registered for " + std::string(progId) + ", " +
                                              registration->library.string() + ", is gone: register it again");
    void* handle = load(registration->library, &why);
    if (!handle) return fail(hr::CO_E_DLLNOTFOUND, why);
    auto getClassObject = reinterpret_cast<GetClassObject>(::dlsym(handle, "DllGetClassObject"));
    if (!getClassObject) return fail(hr::CO_E_DLLNOTFOUND, registration->library.string() + " is not a class library");

    ComPtr<IClassFactory> factory;
    HRESULT result = getClassObject(registration->clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
    if (failed(result)) return fail(result, "the library does not serve the class " + toString(registration->clsid));
    result = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(created.object.put()));
    if (failed(result)) return fail(result, "the class factory could not create the object");
    return created;
}

}  // namespace lumo
