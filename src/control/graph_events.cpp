// The events of the active slot's graph, and vcx_GetEvent.
#include "control/graph_events.h"

#include "vcxcap.h"

namespace vcx {

bool endsStream(LONG code) {
    switch (code) {
    case EC_COMPLETE:
    case EC_USERABORT:
    case EC_ERRORABORT:
    case EC_ERRORABORTEX:
    case EC_STREAM_ERROR_STOPPED:
    case EC_ERROR_STILLPLAYING:
        return true;
    default:
        return false;
    }
}

ComPtr<IMediaEventEx> graphEvents(const CaptureSlot& slot) {
    return query<IMediaEventEx>(slot.graph);
}

HRESULT takeGraphEvent(CaptureSlot& slot, IMediaEventEx& events, GraphEvent& event) {
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    const HRESULT hr = events.GetEvent(&code, &param1, &param2, 0);
    if (FAILED(hr)) {
        return hr;
    }
    // What the parameters hold (an interface, a string) is given back at
    // once, also for an answer that does not count: the host gets numbers.
    events.FreeEventParams(code, param1, param2);
    if (hr != S_OK) {
        return E_FAIL;
    }
    // EC_DEVICE_LOST: the second parameter is 0 when the device went away,
    // 1 when it is back (the graph must be built again either way).
    if (code == EC_DEVICE_LOST && param2 == 0) {
        slot.events.deviceLost = true;
    }
    if (endsStream(code) && slot.events.streamEnded == 0) {
        slot.events.streamEnded = code;
    }
    event = {code, static_cast<int32_t>(param1), static_cast<int32_t>(param2)};
    return S_OK;
}

HRESULT drainGraphEvents(CaptureSlot& slot, IMediaEventEx& events) {
    GraphEvent event{};
    while (!slot.events.full()) {
        const HRESULT hr = takeGraphEvent(slot, events, event);
        if (hr != S_OK) {
            return hr;
        }
        slot.events.push(event);
    }
    return S_OK;
}

} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetEvent(int* param1, int* param2) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    if (param1 == nullptr || param2 == nullptr) {
        return -2;
    }
    CaptureSlot& slot = activeSlot();
    GraphEvent event{};
    if (!slot.events.empty()) {
        event = slot.events.pop();
    } else {
        ComPtr<IMediaEventEx> events = graphEvents(slot);
        if (!events) {
            return -3;
        }
        const HRESULT hr = takeGraphEvent(slot, *events.get(), event);
        if (hr == E_ABORT) {
            return 0;
        }
        if (hr != S_OK) {
            return -4;
        }
    }
    *param1 = event.param1;
    *param2 = event.param2;
    return event.code;
}
