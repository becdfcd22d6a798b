// Slot teardown: the fixed-order release of a slot's objects, and vcx_Close.
#include "core/teardown.h"

#include "vcxcap.h"

#include "core/slots.h"
#include "frames/frame_counter.h"
#include "frames/frame_sequence.h"

namespace vcx {
namespace {

template <class T> void releaseField(T*& field) {
    if (field != nullptr) {
        field->Release();
        field = nullptr;
    }
}

} // namespace

void releaseSlot() {
    CaptureSlot& slot = activeSlot();
    // Window and output side first (the video compressor, then the audio
    // compressor, before the multiplexer), then the video device and the
    // audio device, the control and builder interfaces, the Sample Grabber,
    // and the Filter Graph Manager last.
    releaseField(slot.videoWindow);
    releaseField(slot.compressDialogs);
    releaseField(slot.compressorFilter);
    releaseField(slot.audioCompressorFilter);
    releaseField(slot.muxFilter);
    releaseField(slot.rendererFilter);
    releaseField(slot.vmr7Filter);
    releaseField(slot.vmr9Filter);
    releaseField(slot.sourceFilter);
    releaseField(slot.audioSourceFilter);
    releaseField(slot.mediaControl);
    releaseField(slot.captureBuilder);
    releaseField(slot.grabber);
    releaseField(slot.grabberFilter);
    releaseField(slot.graph);
    // What the frame exports keep goes after the graph.
    releaseField(slot.frameCounter);
    slot.events = PendingEvents{};
    slot.builderMux = false;
}

} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_Close(void) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.state == kSlotRunning && slot.mediaControl != nullptr) {
        slot.mediaControl->Stop();
    }
    // A renderer's window that still has the host's window as its owner would
    // be destroyed with the graph while the owner keeps sending it messages:
    // hide it and give it back to the desktop first.
    if (slot.videoWindow != nullptr && slot.windowPlaced) {
        slot.videoWindow->put_Visible(OAFALSE);
        slot.videoWindow->put_Owner(0);
    }
    wakeFrameWait(slot);
    releaseSlot();
    slot.outputMode = 0;
    slot.windowPlaced = false;
    slot.state = kSlotClosed;
    return 0;
}
