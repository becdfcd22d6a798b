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

// Makes the slot's frame queue of its stored depth, sized for a frame of the
// grabber's connected format, and hands it to the counter (replacing any
// queue it had); with depth 0, takes any queue away. Only while no sample
// can arrive. 0, or -3 when the queue cannot be made (the counter then has
// none), -4 when the connected format is not available.
int32_t applyFrameQueue(CaptureSlot& slot);

// A run begins: its start and the frames counted so far are noted for the
// start-up allowance of the waits, and an end of the stream heard during an
// earlier run no longer holds.
void noteRunStart(CaptureSlot& slot);

// Wakes a frame wait in progress on the slot (one dispatching a message
// handler that stops or closes the slot), so that it looks at the slot again.
void wakeFrameWait(const CaptureSlot& slot);

} // namespace vcx
