// Calls a function of the C calling convention as a 32-bit Windows caller
// may: with the stack aligned to 4 bytes only.
#pragma once

#include <cstdint>
#include <vector>

namespace i686test {

struct CallResult {
    int value;                 // what the function returned in EAX
    std::uint32_t stackAtCall; // ESP at the call instruction
    std::uint32_t stackAfter;  // ESP once the function had returned
};

// Pushes arguments (the first at the lowest address, as C passes them), with
// ESP at the call misalignment bytes below a 16-byte boundary (0, 4, 8 or
// 12), calls function and reports the stack pointer around the call.
CallResult callMisaligned(const void* function, const std::vector<std::uint32_t>& arguments,
                          std::uint32_t misalignment);

} // namespace i686test
