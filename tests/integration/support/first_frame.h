// Waiting for the first frame of a capture: the frame exports answer -7 until
// the Sample Grabber holds one, which takes the camera's own start-up time
// after the graph runs.
#pragma once

#include <windows.h>

namespace harness {

inline constexpr int kNoFrameYet = -7;

// Calls copy until it answers something other than kNoFrameYet, for up to
// timeoutMs (at least once), and returns that answer (kNoFrameYet after the
// time is up).
template <class Copy> int onceAFrameIsThere(Copy copy, DWORD timeoutMs = 5000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    int result = copy();
    while (result == kNoFrameYet && GetTickCount64() < end) {
        Sleep(5);
        result = copy();
    }
    return result;
}

} // namespace harness
