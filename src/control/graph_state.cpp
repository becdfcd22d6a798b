// vcx_GetState: the filter state of the slot's graph.
#include "vcxcap.h"

#include "core/slots.h"

using namespace vcx;

namespace {

// Not a filter state: GetState wrote none.
constexpr OAFilterState kNoStateWritten = -1;

} // namespace

extern "C" int VCXAPI vcx_GetState(void) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.mediaControl == nullptr) {
        return -3;
    }
    OAFilterState filterState = kNoStateWritten;
    // Waits, without a time limit, for a state change in progress to end.
    const HRESULT hr = slot.mediaControl->GetState(static_cast<LONG>(INFINITE), &filterState);
    // A failure that reports no state is a failure too, not a state.
    if (hr == E_FAIL || filterState == kNoStateWritten) {
        return -2;
    }
    return static_cast<int>(filterState);
}
