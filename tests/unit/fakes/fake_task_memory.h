// Task memory that fakes hand out as the platform would (CoTaskMemAlloc'd
// media types, format blocks and page lists), and what the library gives
// back through the fake CoTaskMemFree, so that a test can prove every block
// freed exactly once.
#pragma once

#include <cstddef>
#include <vector>

namespace fakes {

// CoTaskMemAlloc, recorded as handed out.
void* allocateTaskMemory(std::size_t bytes);

// Called by the fake CoTaskMemFree for every block the library frees.
void noteTaskMemoryFreed(void* memory);

// Blocks handed out by fakes and not freed since, in order of allocation.
const std::vector<void*>& outstandingTaskMemory();

// Frees of non-null blocks that no fake handed out or that were freed before.
int strayTaskMemoryFrees();

// Forgets every record (the blocks themselves are left alone).
void resetTaskMemoryRecords();

} // namespace fakes
