#pragma once
// cLUMOAudio: the one creatable class. It owns no player: every call goes to
// the process's player host. Its own state is the host's two stored values
// and the sinks hosts advise for its events.

#include <atomic>

#include "automation/event_connection.h"
#include "automation/operation_list.h"
#include "lumo/lumo_audio.h"

namespace lumo::automation {

class cLUMOAudio final : public _cLUMOAudioEx, public IConnectionPointContainer {
public:
    // Object start-up: the shared drive information object and the
    // framework's options.
    cLUMOAudio();
    cLUMOAudio(const cLUMOAudio&) = delete;
    cLUMOAudio& operator=(const cLUMOAudio&) = delete;

    // IUnknown
    HRESULT QueryInterface(const Guid& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    // IDispatch, over the operation table
    HRESULT GetTypeInfoCount(uint32_t* count) override;
    HRESULT GetTypeInfo(uint32_t index, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(const std::string* names, uint32_t count, DISPID* ids) override;
    HRESULT Invoke(DISPID member, uint16_t flags, std::span<Variant> arguments, Variant* result,
                   ExcepInfo* error) override;

    // _cLUMOAudio (operations.cpp, initialise_pl.cpp) and _cLUMOAudioEx
    // (extension.cpp): one override per row of operation_list.h.
#define LUMO_DECLARE_OVERRIDE(slot, id, kind, name, member, result, parameters, names) \
    HRESULT member parameters override;
    LUMO_AUDIO_OPERATIONS(LUMO_DECLARE_OVERRIDE)
    LUMO_AUDIO_EXTENSION_OPERATIONS(LUMO_DECLARE_OVERRIDE)
#undef LUMO_DECLARE_OVERRIDE

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** point) override;

    // Objects alive in the process (the library may unload at none).
    static uint32_t liveObjects();

private:
    ~cLUMOAudio();
    void LAPFSSU();
    bool SetCDROM_PL(std::string& sWMPError, int32_t& nPLError, int32_t& cCDROMs);

    std::atomic<uint32_t> references_{1};
    EventConnection events_{static_cast<_cLUMOAudioEx&>(*this), *this};
    Variant playLists_;
    int16_t cdError_ = 0;
};

}  // namespace lumo::automation
