#include "harness.h"

#include <cstdio>

namespace harness {

void checkHr(HRESULT hr, const std::string& what) {
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        throw Failure(what + " failed: hr " + code);
    }
}

} // namespace harness
