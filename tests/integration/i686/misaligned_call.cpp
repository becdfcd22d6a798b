#include "misaligned_call.h"

// int vcxtestCallMisaligned(const void* function, const uint32_t* arguments,
//                           uint32_t count, uint32_t misalignment, uint32_t stack[2])
// EBX keeps the thunk's own stack pointer and EDI the one at the call: a
// callee that breaks the convention by changing either is caught too.
asm(R"(
    .text
    .globl _vcxtestCallMisaligned
    .def _vcxtestCallMisaligned; .scl 2; .type 32; .endef
_vcxtestCallMisaligned:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl %esp, %ebx
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    leal (,%ecx,4), %eax
    movl %esp, %edx
    subl %eax, %edx
    andl $-16, %edx
    subl 20(%ebp), %edx
    addl %eax, %edx
    movl %edx, %esp
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  movl %esp, %edi
    call *8(%ebp)
    movl 24(%ebp), %edx
    movl %edi, (%edx)
    movl %esp, 4(%edx)
    movl %ebx, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

extern "C" int vcxtestCallMisaligned(const void* function, const std::uint32_t* arguments,
                                     std::uint32_t count, std::uint32_t misalignment,
                                     std::uint32_t* stack);

namespace i686test {

CallResult callMisaligned(const void* function, const std::vector<std::uint32_t>& arguments,
                          std::uint32_t misalignment) {
    std::uint32_t stack[2] = {};
    const int value =
        vcxtestCallMisaligned(function, arguments.data(),
                              static_cast<std::uint32_t>(arguments.size()), misalignment, stack);
    return {value, stack[0], stack[1]};
}

} // namespace i686test
