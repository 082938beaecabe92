// What a program hands the runtime: its descriptor and start routine.
#pragma once

#include <cstdint>

#include "runtime/support_library.h"

namespace rt {

struct ProgramDescriptor {
    // Event-handler offsets in the template are relative to this address.
    uintptr_t userCodeBase;
    // The program's literal data; never freed, resized by copying. A null
    // start means "the executable's read-only data section".
    const void* constantData;
    uint32_t constantLength;
    const uint8_t* templateData;
    uint32_t templateLength;
    uint32_t libraryCount;
    const SupportLibrary* const* libraries;
    uint32_t dllCommandCount;
    const char* const* dllLibraryNames;
    const char* const* dllCommandNames;
    // Runs the program: services 6 and 3, load the start-up window, the loop.
    int (*startRoutine)();
};

// The descriptor of the running program (set by RunProgram).
const ProgramDescriptor& CurrentProgram();
void SetCurrentProgram(const ProgramDescriptor& program);

// Windows process entry's part: runs the start routine, then the shutdown
// sequence with exit code 0; returns the exit code.
int RunProgram(const ProgramDescriptor& program);

}  // namespace rt
