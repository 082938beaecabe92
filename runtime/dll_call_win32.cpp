#include "runtime/dll_call_win32.h"

#include "runtime/dll_commands.h"
#include "runtime/runtime_error.h"

namespace rt {
namespace {

constexpr int kErrorStackUnbalanced = 6;

#if defined(__i386__)

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

#elif defined(__x86_64__)

// (target, arguments, count) -> RAX, by the Windows x64 rules: the first four
// words in RCX, RDX, R8, R9 (and, for a callee that takes them as floating
// point, the same bits in XMM0-XMM3), the rest on the stack above the 32-byte
// home area, the stack 16-byte aligned at the call. The frame is restored
// from RBP.
__attribute__((naked, used)) uint64_t CallWindowsX64(void* /*target*/, const uint64_t* /*arguments*/,
                                                     uint64_t /*count*/) {
    asm volatile(
        "pushq %rbp\n\t"
        "movq %rsp, %rbp\n\t"
        "pushq %rsi\n\t"
        "pushq %rdi\n\t"
        "movq %rcx, %r10\n\t"
        "movq %rdx, %rsi\n\t"
        "movq %r8, %rdi\n\t"
        // Room for max(count, 4) words, rounded to 16 bytes.
        "movq %rdi, %rax\n\t"
        "cmpq $4, %rax\n\t"
        "jae 1f\n\t"
        "movq $4, %rax\n"
        "1:\n\t"
        "leaq 15(,%rax,8), %rax\n\t"
        "andq $-16, %rax\n\t"
        "subq %rax, %rsp\n\t"
        "andq $-16, %rsp\n\t"
        "xorl %ecx, %ecx\n"
        "2:\n\t"
        "cmpq %rdi, %rcx\n\t"
        "jae 3f\n\t"
        "movq (%rsi,%rcx,8), %rax\n\t"
        "movq %rax, (%rsp,%rcx,8)\n\t"
        "incq %rcx\n\t"
        "jmp 2b\n"
        "3:\n\t"
        "movq 0(%rsp), %rcx\n\t"
        "movq 8(%rsp), %rdx\n\t"
        "movq 16(%rsp), %r8\n\t"
        "movq 24(%rsp), %r9\n\t"
        "movq %rcx, %xmm0\n\t"
        "movq %rdx, %xmm1\n\t"
        "movq %r8, %xmm2\n\t"
        "movq %r9, %xmm3\n\t"
        "call *%r10\n\t"
        "leaq -16(%rbp), %rsp\n\t"
        "popq %rdi\n\t"
        "popq %rsi\n\t"
        "popq %rbp\n\t"
        "ret\n\t");
}

#else
#error "declared commands are called on i686 and x86_64 only"
#endif

}  // namespace

int32_t CallNativeChecked(void* target, CallConvention convention, const NativeWord* arguments, uint32_t count,
                          uint64_t* result) {
#if defined(__i386__)
    uint32_t pair[2] = {0, 0};
    int32_t moved = CallAndMeasureStack(target, arguments, count, convention == CallConvention::CallerCleans ? 1 : 0,
                                        pair);
    if (result) *result = static_cast<uint64_t>(pair[1]) << 32 | pair[0];
    return moved;
#else
    uint64_t value = CallWindowsX64(target, arguments, count);
    if (result) *result = value;
    return 0;
#endif
}

uint64_t CallDllCommand64(uint32_t index, CallConvention convention, const NativeWord* arguments, uint32_t count,
                          uint32_t subroutineId, uint32_t statement) {
    void* target = ResolveDllCommand(index);
    uint64_t result = 0;
    if (CallNativeChecked(target, convention, arguments, count, &result) != 0)
        ReportRuntimeErrorCode(kErrorStackUnbalanced, subroutineId, statement);
    return result;
}

}  // namespace rt
