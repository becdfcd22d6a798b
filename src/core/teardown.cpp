// Slot teardown: the fixed-order release of a slot's objects, and vcx_Close.
#include "core/teardown.h"

#include "vcxcap.h"

#include "core/slots.h"

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
    // Window and output side first, then the device, the control and builder
    // interfaces, the Sample Grabber, and the Filter Graph Manager last.
    releaseField(slot.videoWindow);
    releaseField(slot.compressDialogs);
    releaseField(slot.compressorFilter);
    releaseField(slot.muxFilter);
    releaseField(slot.rendererFilter);
    releaseField(slot.vmr7Filter);
    releaseField(slot.vmr9Filter);
    releaseField(slot.sourceFilter);
    releaseField(slot.mediaControl);
    releaseField(slot.captureBuilder);
    releaseField(slot.grabber);
    releaseField(slot.grabberFilter);
    releaseField(slot.graph);
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
    releaseSlot();
    slot.outputMode = 0;
    slot.state = kSlotClosed;
    return 0;
}
