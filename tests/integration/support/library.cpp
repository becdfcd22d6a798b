#include "library.h"

#include "vcxcap.h"

namespace harness {

void resetLibrary() {
    constexpr int kSlots = 32;
    for (int slot = 0; slot < kSlots; ++slot) {
        vcx_SetActiveSel(slot);
        if (vcx_GetRef() != 0) {
            vcx_Close();
        }
    }
    vcx_SetActiveSel(0);
    vcx_Exit();
}

void forgetRequestedFormat() {
    vcx_SetDevWidth(0);
    vcx_SetDevHeight(0);
    vcx_SetDevFrameRate(0.0);
}

} // namespace harness
