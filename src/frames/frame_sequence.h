// The frame sequence of a slot: the counter attached to its Sample Grabber
// when it opens, and what the exports read of it.
#pragma once

#include "core/slots.h"

namespace vcx {

// Attaches a new frame counter to the slot's grabber as its sample callback
// (SetCallback, method 0) and keeps it in frameCounter. When the counter
// cannot be made or the grabber does not answer S_OK, the slot stays without
// one: nothing else changes, and the frame-sequence exports say so.
void attachFrameCounter(CaptureSlot& slot);

} // namespace vcx
