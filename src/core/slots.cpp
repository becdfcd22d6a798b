#include "core/slots.h"

namespace vcx {
namespace {

Library state{};

} // namespace

Library& library() {
    return state;
}

CaptureSlot& activeSlot() {
    return state.slots[state.activeSlot];
}

int32_t checkSlotState(int32_t kind) {
    const int32_t slotState = activeSlot().state;
    switch (kind) {
    case kGuardComInitialized:
        return state.comInitialized == 0 ? -1 : 0;
    case kGuardSlotClosed:
        return slotState >= 1 ? -2 : 0;
    case kGuardSlotRunning:
        return slotState <= 2 ? -1 : 0;
    case kGuardSlotOpen:
        return slotState <= 1 ? -1 : 0;
    default:
        return 0;
    }
}

void resetLibraryForTests() {
    state = Library{};
}

} // namespace vcx
