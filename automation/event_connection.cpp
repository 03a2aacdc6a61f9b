#include "automation/event_connection.h"

#include "automation/event_sinks.h"
#include "lumo/lumo_audio.h"

namespace lumo::automation {

EventConnection::~EventConnection() { removeEventSinks(this); }

HRESULT EventConnection::QueryInterface(const Guid& iid, void** object) {
    if (!object) return hr::E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return hr::S_OK;
    }
    *object = nullptr;
    return hr::E_NOINTERFACE;
}

HRESULT EventConnection::GetConnectionInterface(Guid* iid) {
    if (!iid) return hr::E_POINTER;
    *iid = DIID___cLUMOAudioEvents;
    return hr::S_OK;
}

HRESULT EventConnection::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return hr::E_POINTER;
    container_.AddRef();
    *container = &container_;
    return hr::S_OK;
}

HRESULT EventConnection::Advise(IUnknown* sink, uint32_t* cookie) {
    if (!sink || !cookie) return hr::E_POINTER;
    *cookie = 0;
    ComPtr<IDispatch> dispatch;
    if (failed(sink->QueryInterface(DIID___cLUMOAudioEvents, reinterpret_cast<void**>(dispatch.put()))) &&
        failed(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()))))
        return hr::CONNECT_E_CANNOTCONNECT;
    if (!dispatch) return hr::CONNECT_E_CANNOTCONNECT;
    *cookie = addEventSink(this, std::move(dispatch));
    return hr::S_OK;
}

HRESULT EventConnection::Unadvise(uint32_t cookie) {
    if (cookie == 0 || !removeEventSink(this, cookie)) return hr::CONNECT_E_NOCONNECTION;
    return hr::S_OK;
}

}  // namespace lumo::automation
