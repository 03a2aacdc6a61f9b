// cLUMOAudio's reference counting and its calls by name over the operation
// table; the operations themselves are in operations.cpp and
// initialise_pl.cpp.

#include "automation/lumo_audio_object.h"

#include "automation/library_start.h"
#include "automation/operation_table.h"
#include "common/shared_fso.h"
#include "failsafe/procedure.h"

namespace lumo::automation {
namespace {

std::atomic<uint32_t> liveCount{0};

// The type information of one interface: its operation table as it stands.
class TypeInfo final : public ITypeInfo {
public:
    TypeInfo(const char* name, std::span<const Operation> rows) : name_(name), rows_(rows) {}
    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) return hr::E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ITypeInfo) {
            *object = static_cast<ITypeInfo*>(this);
            return hr::S_OK;
        }
        *object = nullptr;
        return hr::E_NOINTERFACE;
    }
    // One static instance serves every object.
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
    uint32_t GetFuncCount() override { return static_cast<uint32_t>(rows_.size()); }
    const FuncDesc* GetFuncDesc(uint32_t index) override { return index < rows_.size() ? &rows_[index].desc : nullptr; }
    std::string GetInterfaceName() override { return name_; }

private:
    const char* name_;
    std::span<const Operation> rows_;
};

// Says what the member cannot do, by its name when it has one.
std::string whyNot(DISPID member, uint16_t flags) {
    const Operation* operation = operationWithId(member);
    if (!operation) return "no member has the dispatch id " + std::to_string(member);
    const char* asked = (flags & (dispatch::PropertyPut | dispatch::PropertyPutRef)) ? "assigned"
                        : (flags & dispatch::Method)                                  ? "called"
                                                                                      : "read";
    return operation->desc.name + " cannot be " + asked;
}

}  // namespace

using failsafe::Procedure;

cLUMOAudio::cLUMOAudio() {
    ++liveCount;
    Procedure proc("cLUMOAudio", "Sub Class_Initialize");
    proc.step([] { common::CreateFSO(); });
    proc.step([&] { LAPFSSU(); });
}

cLUMOAudio::~cLUMOAudio() { --liveCount; }

uint32_t cLUMOAudio::liveObjects() { return liveCount; }

void cLUMOAudio::LAPFSSU() {
    Procedure proc("cLUMOAudio", "Sub LAPFSSU");
    std::string folder, logFile;
    proc.step([&] { folder = installFolder(); });
    proc.step([&] {
        const auto fso = common::sharedFSO();
        logFile = fso ? fso->buildPath(folder, "LUMOAudioErrors.log")
                      : platform::DriveService::buildPath(folder, "LUMOAudioErrors.log");
    });
    proc.step([&] { configureFramework(logFile); });
}

HRESULT cLUMOAudio::QueryInterface(const Guid& iid, void** object) {
    if (!object) return hr::E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__cLUMOAudio || iid == IID__cLUMOAudioEx) {
        *object = static_cast<_cLUMOAudioEx*>(this);
        AddRef();
        return hr::S_OK;
    }
    if (iid == IID_IConnectionPointContainer) {
        *object = static_cast<IConnectionPointContainer*>(this);
        AddRef();
        return hr::S_OK;
    }
    *object = nullptr;
    return hr::E_NOINTERFACE;
}

uint32_t cLUMOAudio::AddRef() { return ++references_; }

uint32_t cLUMOAudio::Release() {
    const uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

// The first describes _cLUMOAudio as it always has; the second the
// extension's own operations.
HRESULT cLUMOAudio::GetTypeInfoCount(uint32_t* count) {
    if (!count) return hr::E_POINTER;
    *count = 2;
    return hr::S_OK;
}

HRESULT cLUMOAudio::GetTypeInfo(uint32_t index, ITypeInfo** info) {
    static TypeInfo audio("_cLUMOAudio", operations());
    static TypeInfo extension("_cLUMOAudioEx", extensionOperations());
    if (!info) return hr::E_POINTER;
    if (index > 1) return hr::E_INVALIDARG;
    *info = index == 0 ? &audio : &extension;
    return hr::S_OK;
}

HRESULT cLUMOAudio::FindConnectionPoint(const Guid& iid, IConnectionPoint** point) {
    if (!point) return hr::E_POINTER;
    *point = nullptr;
    if (iid != DIID___cLUMOAudioEvents) return hr::CONNECT_E_NOCONNECTION;
    events_.AddRef();
    *point = &events_;
    return hr::S_OK;
}

HRESULT cLUMOAudio::GetIDsOfNames(const std::string* names, uint32_t count, DISPID* ids) {
    if ((!names || !ids) && count > 0) return hr::E_POINTER;
    HRESULT result = hr::S_OK;
    for (uint32_t i = 0; i < count; ++i) {
        const std::optional<DISPID> id = dispatchIdOf(names[i]);
        ids[i] = id.value_or(-1);
        if (!id) result = hr::DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT cLUMOAudio::Invoke(DISPID member, uint16_t flags, std::span<Variant> arguments, Variant* result,
                           ExcepInfo* error) {
    const Operation* operation = findOperation(member, flags);
    if (!operation) {
        if (error) error->description = whyNot(member, flags);
        return hr::DISP_E_MEMBERNOTFOUND;
    }
    if (result) *result = Variant();
    return operation->invoke(*this, arguments, result, error);
}

}  // namespace lumo::automation
