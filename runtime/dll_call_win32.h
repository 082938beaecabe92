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

// Calls declared command `index` with 32-bit argument words (first word first;
// pushed right to left). A stack pointer that differs afterwards reports
// runtime error 6 at (subroutineId, statement). The result is EDX:EAX.
uint64_t CallDllCommand64(uint32_t index, CallConvention convention, const uint32_t* arguments, uint32_t count,
                          uint32_t subroutineId, uint32_t statement);

inline uint64_t CallDllCommand64(uint32_t index, CallConvention convention, std::initializer_list<uint32_t> arguments,
                                 uint32_t subroutineId, uint32_t statement) {
    return CallDllCommand64(index, convention, arguments.begin(), static_cast<uint32_t>(arguments.size()),
                            subroutineId, statement);
}

// The 32-bit result (integer, bool, handle or address).
inline uint32_t CallDllCommand(uint32_t index, CallConvention convention, std::initializer_list<uint32_t> arguments,
                               uint32_t subroutineId, uint32_t statement) {
    return static_cast<uint32_t>(CallDllCommand64(index, convention, arguments, subroutineId, statement));
}

// A pointer (text, byte-set data, native record) as an argument word.
inline uint32_t NativeArgument(const void* pointer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

// Calls `target` directly with the same check; returns how many bytes the
// stack pointer moved (0 when balanced) and stores the result in *result.
int32_t CallNativeChecked(void* target, CallConvention convention, const uint32_t* arguments, uint32_t count,
                          uint64_t* result);

}  // namespace rt
