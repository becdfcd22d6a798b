// What the test process holds right now, for checks that long or repeated
// work gives back what it takes.
#pragma once

#include <cstddef>

namespace harness {

// Handles the process holds, counted in the system's handle list: Wine's
// GetProcessHandleCount always answers 0.
std::size_t processHandleCount();

// Threads of the process.
std::size_t processThreadCount();

// Committed private memory of the process (its "private bytes"), found by
// walking its address space: Wine's GetProcessMemoryInfo leaves PrivateUsage
// at 0.
std::size_t privateBytes();

} // namespace harness
