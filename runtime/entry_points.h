// The runtime's entry points, as functions program code calls. Each keeps the
// arguments, results and ownership of its slot in the entry table:
//   0 report error   1 DLL command    2/3 library command   4/5 property
//   6/7/8 memory     9 end program    10 message loop       11 start-up window
//   12 miscellaneous services 0..6
#pragma once

#include <cstdint>

#include "runtime/exit_routines.h"
#include "runtime/runtime_error.h"
#include "runtime/runtime_memory.h"
#include "runtime/support_library.h"
#include "runtime/value_record.h"

namespace rt {

// Entries 2 and 3: zero a result record, call the command with (result, count,
// arguments), hand the result back. Texts and byte sets in it belong to the caller.
ValueRecord CallLibraryCommand(CommandFunction command, int argumentCount, ValueRecord* arguments);
inline ValueRecord CallCoreCommand(CommandFunction command, int argumentCount, ValueRecord* arguments) {
    return CallLibraryCommand(command, argumentCount, arguments);
}

// Entries 4 and 5 (member -1: the whole value).
uint64_t ReadProperty(uint32_t formId, uint32_t unitId, int32_t propertyNumber, int32_t member);
void WriteProperty(uint32_t formId, uint32_t unitId, int32_t propertyNumber, int32_t member, uint64_t value);

// Entry 9: shutdown sequence, then the process ends with the code.
[[noreturn]] void EndProgram(int exitCode);
// Entry 10.
void RunMessageLoop();
// Entry 11: loads the form as the start-up window or reports "载入启动窗口失败".
int LoadStartupWindow(uint32_t formId);

// Entry 12, services 0..6.
// 0: next file matching the pattern (null/empty pattern continues the last
// search); a new text, or null when no more files (the handle is closed and zeroed).
char* FindNextMatchingFile(const char* pattern, uint32_t attributeMask, bool anyAttribute, uintptr_t* searchHandle);
// 1
void CloseFileSearch(uintptr_t searchHandle);
// 2: MakeArrayWritable (values.h). 3: RegisterExitRoutine (exit_routines.h).
// 4 and 5: own properties of a component object, by own index.
uint64_t ReadObjectProperty(uint32_t typeReference, void* component, int32_t ownIndex, int32_t member);
void WriteObjectProperty(uint32_t typeReference, void* component, int32_t ownIndex, int32_t member, uint64_t value);
// 6
void InitializeRuntime();

}  // namespace rt
