// vcx_SetCapConfig: switches the Sample Grabber's buffering of the running
// slot and keeps the library-wide record of the last switch.
#include "vcxcap.h"

#include "core/slots.h"

using namespace vcx;

extern "C" int VCXAPI vcx_SetCapConfig(int value) {
    const int32_t guard = checkSlotState(kGuardSlotRunning);
    if (guard < 0) {
        return guard;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.grabber == nullptr) {
        return -2;
    }
    Library& lib = library();
    if (value == 1 || value == 0) {
        slot.grabber->SetBufferSamples(value == 1 ? TRUE : FALSE);
        lib.grabEnabled = value;
    }
    return value == -1 ? lib.grabEnabled : 0;
}
