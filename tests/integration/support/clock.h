// Time as a test measures it: seconds on the performance counter.
#pragma once

#include <windows.h>

namespace harness {

inline double seconds() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace harness
