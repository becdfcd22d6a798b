// How much the test process has allocated right now, for checks that repeated
// work gives back what it takes.
#pragma once

#include <cstddef>

namespace harness {

// Bytes in use in all heaps of the process: the process heap, the C
// runtimes' heaps, and so every object COM servers (Wine's DirectShow DLLs,
// vcxcam) allocate. Exact, so it can be compared before and after a loop.
//
// Handle counts are no use for this on Wine 8.0: GetProcessHandleCount
// always answers 0, and Wine itself leaks a handle on every Filter Graph
// Manager it frees (the completion event) and on every device moniker the
// System Device Enumerator hands out (a registry key).
std::size_t heapBytesInUse();

} // namespace harness
