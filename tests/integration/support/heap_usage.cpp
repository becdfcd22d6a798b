#include "heap_usage.h"

#include "harness.h"

#include <windows.h>

#include <string>

namespace harness {

std::size_t heapBytesInUse() {
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(ARRAYSIZE(heaps), heaps);
    if (count == 0 || count > ARRAYSIZE(heaps)) {
        throw Failure("GetProcessHeaps answered " + std::to_string(count) + " heaps");
    }
    std::size_t bytes = 0;
    for (DWORD index = 0; index < count; ++index) {
        if (!HeapLock(heaps[index])) {
            throw Failure("HeapLock failed: error " + std::to_string(GetLastError()));
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[index], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                bytes += entry.cbData;
            }
        }
        HeapUnlock(heaps[index]);
    }
    return bytes;
}

} // namespace harness
