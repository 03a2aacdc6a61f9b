#include "automation/class_factory.h"

#include <atomic>

#include "automation/client/class_registry.h"
#include "automation/library_start.h"
#include "automation/lumo_audio_object.h"

namespace lumo::automation {
namespace {

std::atomic<int32_t> serverLocks{0};

class ClassFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) return hr::E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return hr::S_OK;
        }
        *object = nullptr;
        return hr::E_NOINTERFACE;
    }
    // One static factory serves the process.
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) override {
        if (!object) return hr::E_POINTER;
        *object = nullptr;
        if (outer) return hr::CLASS_E_NOAGGREGATION;
        Main();
        auto* created = new cLUMOAudio();
        const HRESULT result = created->QueryInterface(iid, object);
        created->Release();  // the interface holds the reference now, or the object is gone
        return result;
    }
    HRESULT LockServer(bool lock) override {
        serverLocks += lock ? 1 : -1;
        return hr::S_OK;
    }
};

}  // namespace

HRESULT getClassObject(const Guid& clsid, const Guid& iid, void** object) {
    static ClassFactory factory;
    if (!object) return hr::E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_cLUMOAudio) return hr::CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

HRESULT canUnloadNow() { return cLUMOAudio::liveObjects() == 0 && serverLocks == 0 ? hr::S_OK : hr::S_FALSE; }

HRESULT registerServer(const std::filesystem::path& library) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(library, error);
    if (error || !std::filesystem::exists(absolute, error)) return hr::SELFREG_E_CLASS;
    return registry::writeRegistration({kProgId, CLSID_cLUMOAudio, absolute}) ? hr::S_OK : hr::SELFREG_E_CLASS;
}

HRESULT unregisterServer() {
    // Only our own registration is removed, never another library's.
    const std::optional<registry::Registration> current = registry::readRegistration(kProgId);
    if (current && current->clsid != CLSID_cLUMOAudio) return hr::S_OK;
    return registry::removeRegistration(kProgId) ? hr::S_OK : hr::SELFREG_E_CLASS;
}

}  // namespace lumo::automation
