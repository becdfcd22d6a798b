// Running and stopping the slot's graph: vcx_Play, vcx_Play2 and vcx_Stop.
#include "vcxcap.h"

#include "control/window.h"
#include "core/slots.h"
#include "frames/frame_sequence.h"

namespace vcx {
namespace {

// What both run calls check first: the slot must be open and not running.
int32_t checkRunnable() {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    return activeSlot().state == kSlotRunning ? -2 : 0;
}

// Runs the graph and marks the slot running whatever Run answered. 0 for
// S_OK; 1 for anything else, S_FALSE (still changing state) and failures
// alike.
int32_t runGraph(CaptureSlot& slot) {
    noteRunStart(slot);
    const HRESULT hr = slot.mediaControl->Run();
    slot.state = kSlotRunning;
    return hr == S_OK ? 0 : 1;
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_Play(int owner, int left, int top, int width, int height) {
    if (const int32_t refused = checkRunnable(); refused < 0) {
        return refused;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.videoWindow != nullptr) {
        placeVideoWindow(slot, owner, left, top, width, height);
        if (slot.grabber != nullptr) {
            slot.grabber->SetBufferSamples(TRUE);
        }
    }
    if (slot.mediaControl == nullptr) {
        return -3;
    }
    return runGraph(slot);
}

extern "C" int VCXAPI vcx_Play2(void) {
    if (const int32_t refused = checkRunnable(); refused < 0) {
        return refused;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.grabber == nullptr) {
        return -3;
    }
    slot.grabber->SetBufferSamples(TRUE);
    if (slot.mediaControl == nullptr) {
        return -4;
    }
    return runGraph(slot);
}

extern "C" int VCXAPI vcx_Stop(void) {
    const int32_t guard = checkSlotState(kGuardSlotRunning);
    if (guard < 0) {
        return guard;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.mediaControl == nullptr) {
        return -2;
    }
    slot.mediaControl->Stop();
    slot.state = kSlotOpen;
    wakeFrameWait(slot);
    return 0;
}
