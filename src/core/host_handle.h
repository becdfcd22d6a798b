// Handles as the exports take them: 32-bit integers (a 64-bit host passes a
// handle's low 32 bits, which Windows keeps significant for window handles
// and device contexts), sign-extended into the handle type: HWND, HDC or
// OAHWND.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vcx {

template <class Handle> Handle hostHandle(int32_t value) {
    return reinterpret_cast<Handle>(static_cast<LONG_PTR>(value));
}

} // namespace vcx
