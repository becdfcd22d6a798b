// vcx_GetDroppedFrames: the frames the device says it dropped, as its capture
// pin's IAMDroppedFrames counts them.
#include "vcxcap.h"

#include <dshow.h>

#include "core/com_ptr.h"
#include "core/slots.h"

using namespace vcx;

extern "C" int VCXAPI vcx_GetDroppedFrames(void) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    const CaptureSlot& slot = activeSlot();
    if (slot.captureBuilder == nullptr || slot.sourceFilter == nullptr) {
        return -2;
    }
    ComPtr<IAMDroppedFrames> dropped;
    if (slot.captureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, slot.sourceFilter,
                                           IID_IAMDroppedFrames, dropped.putVoid()) != S_OK ||
        !dropped) {
        return -3;
    }
    long count = 0;
    if (dropped->GetNumDropped(&count) != S_OK || count < 0) {
        return -4;
    }
    return static_cast<int>(count);
}
