// Calls of declared system-library commands from program code: native
// arguments, the bound export, and the stack-balance check afterwards.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace rt {

enum class CallConvention {
    CalleeCleans,  // the Windows API convention, the default of a declaration
    CallerCleans,  // C runtime functions such as strlen
};

// One argument word of a native call: 32 bits on the i686 product, 64 on the
// x86_64 test target, so that a pointer or handle always fits whole.
using NativeWord = uintptr_t;

// Calls declared command `index` with argument words (first word first). On
// i686 they are pushed right to left and a stack pointer that differs
// afterwards reports runtime error 6 at (subroutineId, statement); the result
// is EDX:EAX. On x86_64 the words go by the Windows x64 rules (one convention,
// so the stack cannot come back unbalanced) and the result is RAX.
uint64_t CallDllCommand64(uint32_t index, CallConvention convention, const NativeWord* arguments, uint32_t count,
                          uint32_t subroutineId, uint32_t statement);

inline uint64_t CallDllCommand64(uint32_t index, CallConvention convention,
                                 std::initializer_list<NativeWord> arguments, uint32_t subroutineId,
                                 uint32_t statement) {
    return CallDllCommand64(index, convention, arguments.begin(), static_cast<uint32_t>(arguments.size()),
                            subroutineId, statement);
}

// The word result (integer, bool, handle or address).
inline NativeWord CallDllCommand(uint32_t index, CallConvention convention, std::initializer_list<NativeWord> arguments,
                                 uint32_t subroutineId, uint32_t statement) {
    return static_cast<NativeWord>(CallDllCommand64(index, convention, arguments, subroutineId, statement));
}

// A pointer (text, byte-set data, native record, routine) as an argument word.
inline NativeWord NativeArgument(const void* pointer) { return reinterpret_cast<NativeWord>(pointer); }
// A handle or address that a call returned, back as a pointer.
template <typename Pointer>
Pointer NativePointer(NativeWord word) {
    return reinterpret_cast<Pointer>(word);
}

// Calls `target` directly with the same check; returns how many bytes the
// stack pointer moved (0 when balanced; always 0 on x86_64) and stores the
// result in *result.
int32_t CallNativeChecked(void* target, CallConvention convention, const NativeWord* arguments, uint32_t count,
                          uint64_t* result);

}  // namespace rt
