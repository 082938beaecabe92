#include "runtime/dll_call_win32.h"

#include "runtime/dll_commands.h"
#include "runtime/runtime_error.h"

namespace rt {
namespace {

constexpr int kErrorStackUnbalanced = 6;

// cdecl (target, arguments, count, callerCleans, result pair) -> bytes the
// stack pointer moved across the call. The stack pointer is recorded in EBX
// (preserved by every well-behaved callee) just before the arguments are
// pushed, and the frame is restored from EBP whatever the callee did to ESP.
__attribute__((naked, used, cdecl)) int32_t CallAndMeasureStack(void* /*target*/, const uint32_t* /*arguments*/,
                                                         uint32_t /*count*/, uint32_t /*callerCleans*/,
                                                         uint32_t* /*resultPair*/) {
    asm volatile(
        "pushl %ebp\n\t"
        "movl %esp, %ebp\n\t"
        "pushl %ebx\n\t"
        "pushl %esi\n\t"
        "pushl %edi\n\t"
        "movl 12(%ebp), %esi\n\t"
        "movl 16(%ebp), %ecx\n\t"
        // 16-byte alignment at the call, whatever the argument count.
        "leal 0(,%ecx,4), %eax\n\t"
        "subl %eax, %esp\n\t"
        "andl $-16, %esp\n\t"
        "addl %eax, %esp\n\t"
        "movl %esp, %ebx\n\t"
        "testl %ecx, %ecx\n\t"
        "jz 2f\n"
        "1:\n\t"
        "pushl -4(%esi,%ecx,4)\n\t"
        "decl %ecx\n\t"
        "jnz 1b\n"
        "2:\n\t"
        "call *8(%ebp)\n\t"
        "cmpl $0, 20(%ebp)\n\t"
        "je 3f\n\t"
        "movl 16(%ebp), %ecx\n\t"
        "leal (%esp,%ecx,4), %esp\n"
        "3:\n\t"
        "movl 24(%ebp), %ecx\n\t"
        "movl %eax, (%ecx)\n\t"
        "movl %edx, 4(%ecx)\n\t"
        "movl %esp, %eax\n\t"
        "subl %ebx, %eax\n\t"
        "leal -12(%ebp), %esp\n\t"
        "popl %edi\n\t"
        "popl %esi\n\t"
        "popl %ebx\n\t"
        "popl %ebp\n\t"
        "ret\n\t");
}

}  // namespace

int32_t CallNativeChecked(void* target, CallConvention convention, const uint32_t* arguments, uint32_t count,
                          uint64_t* result) {
    uint32_t pair[2] = {0, 0};
    int32_t moved = CallAndMeasureStack(target, arguments, count, convention == CallConvention::CallerCleans ? 1 : 0,
                                        pair);
    if (result) *result = static_cast<uint64_t>(pair[1]) << 32 | pair[0];
    return moved;
}

uint64_t CallDllCommand64(uint32_t index, CallConvention convention, const uint32_t* arguments, uint32_t count,
                          uint32_t subroutineId, uint32_t statement) {
    void* target = ResolveDllCommand(index);
    uint64_t result = 0;
    if (CallNativeChecked(target, convention, arguments, count, &result) != 0)
        ReportRuntimeErrorCode(kErrorStackUnbalanced, subroutineId, statement);
    return result;
}

}  // namespace rt
