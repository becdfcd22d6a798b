// Placing the video window inside a host window, and vcx_ReSize.
#include "control/window.h"

#include "vcxcap.h"

#include "core/host_handle.h"

namespace vcx {

void placeVideoWindow(CaptureSlot& slot, int owner, int left, int top, int width, int height) {
    IVideoWindow* window = slot.videoWindow;
    window->put_Owner(hostHandle<OAHWND>(owner));
    window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
    window->SetWindowPosition(left, top, width, height);
    window->SetWindowForeground(OATRUE);
    window->put_Visible(OATRUE);
    slot.windowPlaced = true;
}

} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_ReSize(int owner, int left, int top, int width, int height) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    CaptureSlot& slot = activeSlot();
    if (slot.videoWindow == nullptr) {
        return -2;
    }
    placeVideoWindow(slot, owner, left, top, width, height);
    return 0;
}
