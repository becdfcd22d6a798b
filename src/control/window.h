#pragma once

#include "core/slots.h"

namespace vcx {

// Makes the slot's video window a visible child of owner at the given place
// in the owner's client coordinates: put_Owner, put_WindowStyle(WS_CHILD |
// WS_CLIPSIBLINGS), SetWindowPosition, SetWindowForeground(OATRUE) and
// put_Visible(OATRUE), in that order, results ignored. The 32-bit owner is
// sign-extended into the window handle. Marks the slot's window placed.
void placeVideoWindow(CaptureSlot& slot, int owner, int left, int top, int width, int height);

} // namespace vcx
