// Window handles as the exports take them: 32-bit integers (a 64-bit host
// passes a handle's low 32 bits, which Windows keeps significant),
// sign-extended into the handle.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vcx {

inline HWND windowHandle(int32_t value) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value));
}

} // namespace vcx
