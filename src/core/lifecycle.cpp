// Library start-up and shut-down, and the exports that select and report the
// active slot.
#include "vcxcap.h"

#include "core/platform.h"
#include "core/slots.h"

using namespace vcx;

namespace {

constexpr int kVersion = 210;

} // namespace

extern "C" int VCXAPI vcx_Init(void) {
    Library& lib = library();
    if (lib.comInitialized != 0) {
        return -1;
    }
    const HRESULT hr = platform().coInitialize(nullptr);
    lib.comInitialized = 1;
    // S_OK and S_FALSE both count one initialisation that CoUninitialize
    // must balance; a refusal (RPC_E_CHANGED_MODE) counts none.
    lib.comNeedsUninitialize = (hr == S_OK || hr == S_FALSE);
    return hr;
}

extern "C" int VCXAPI vcx_Exit(void) {
    Library& lib = library();
    if (lib.comInitialized != 1) {
        return -1;
    }
    // A message handler that a frame wait dispatches: COM must outlive the
    // wait, which still holds objects of the graph.
    if (lib.waitInProgress) {
        return -2;
    }
    if (lib.comNeedsUninitialize) {
        platform().coUninitialize();
    }
    lib.comNeedsUninitialize = false;
    lib.comInitialized = 0;
    return 0;
}

extern "C" int VCXAPI vcx_Version(void) {
    return kVersion;
}

extern "C" int VCXAPI vcx_SetActiveSel(int index) {
    if (index < 0 || index >= kSlotCount) {
        return -1;
    }
    library().activeSlot = index;
    return 0;
}

extern "C" int VCXAPI vcx_GetActiveSel(void) {
    return library().activeSlot;
}

extern "C" int VCXAPI vcx_GetRef(void) {
    return activeSlot().state;
}
