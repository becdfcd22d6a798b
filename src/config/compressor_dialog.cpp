// vcx_CodecDialog: a dialog of the compressor that open chose for AVI
// capture.
#include "vcxcap.h"

#include "core/slots.h"
#include "core/host_handle.h"

using namespace vcx;

extern "C" int VCXAPI vcx_CodecDialog(int window, int dialog) {
    IAMVfwCompressDialogs* dialogs = activeSlot().compressDialogs;
    if (dialogs == nullptr) {
        return -1;
    }
    // The export takes the window first; the compressor takes the code first.
    return dialogs->ShowDialog(dialog, hostHandle<HWND>(window));
}
