#pragma once
// cLUMOAudio's one connection point, for __cLUMOAudioEvents. It lives inside
// its object and counts references with it; its sinks are kept with every
// other object's (event_sinks.h) and go when the object goes.

#include "lumo/com.h"

namespace lumo::automation {

class EventConnection final : public IConnectionPoint {
public:
    EventConnection(IUnknown& owner, IConnectionPointContainer& container) : owner_(owner), container_(container) {}
    ~EventConnection();
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    uint32_t AddRef() override { return owner_.AddRef(); }
    uint32_t Release() override { return owner_.Release(); }

    HRESULT GetConnectionInterface(Guid* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT Advise(IUnknown* sink, uint32_t* cookie) override;
    HRESULT Unadvise(uint32_t cookie) override;

private:
    IUnknown& owner_;
    IConnectionPointContainer& container_;
};

}  // namespace lumo::automation
