// The events of the slot's graph: taking them off its IMediaEventEx, for
// vcx_GetEvent and for a frame wait that must hear of a lost device.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "core/com_ptr.h"
#include "core/slots.h"

namespace vcx {

// Whether an event means the graph stopped streaming on its own, so that no
// frame will come until the slot runs again: the end of the stream
// (EC_COMPLETE), an abort (EC_USERABORT, EC_ERRORABORT, EC_ERRORABORTEX), a
// stream that stopped on an error (EC_STREAM_ERROR_STOPPED) or an error the
// graph reports while it still runs (EC_ERROR_STILLPLAYING).
bool endsStream(LONG code);

// The graph's IMediaEventEx, or empty when the slot has no graph or the graph
// does not answer S_OK.
ComPtr<IMediaEventEx> graphEvents(const CaptureSlot& slot);

// One event taken off the graph without waiting (GetEvent with timeout 0),
// its parameters freed (FreeEventParams) and noted (a lost device, the end
// of the stream). S_OK with
// event filled; E_ABORT when none is queued (as the graph answers then); the
// graph's failure, or E_FAIL for a success other than S_OK, otherwise.
HRESULT takeGraphEvent(CaptureSlot& slot, IMediaEventEx& events, GraphEvent& event);

// Moves what the graph has queued into the slot's pending events, oldest
// first, until the graph has none (E_ABORT, which leaves the graph's event
// handle reset), the pending events are full (S_OK) or the graph fails (its
// failure).
HRESULT drainGraphEvents(CaptureSlot& slot, IMediaEventEx& events);

} // namespace vcx
