#include "harness.h"

#include <objbase.h>

namespace harness {

ComScope::ComScope() {
    // S_FALSE (COM already started on this thread) counts too and is
    // balanced by the destructor like S_OK.
    checkHr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
}

ComScope::~ComScope() {
    CoUninitialize();
}

} // namespace harness
