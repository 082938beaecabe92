// The one runtime instance of the process, shared by start-up, the message
// loop, the form registry and the shutdown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/program.h"
#include "runtime/support_library.h"

namespace rt {

constexpr UINT kEndProgramMessage = 0x83E7;  // sent to the hidden owner, exit code in wParam
constexpr wchar_t kHiddenOwnerClass[] = L"_WK_HideOwner";

using IdleCallback = void (*)(intptr_t argument);

struct IdleEntry {
    HWND window;
    IdleCallback callback;
    intptr_t argument;
};

struct RuntimeContext {
    HANDLE processHeap = nullptr;
    std::string programDirectory;  // GBK, without trailing backslash
    std::string programFileName;   // GBK
    HWND hiddenOwner = nullptr;
    DWORD mainThreadId = 0;
    bool initialized = false;
    bool loopEntered = false;
    bool shuttingDown = false;
    bool oleInitialized = false;
    bool socketsStarted = false;

    std::vector<IdleEntry> idleCallbacks;
    bool idleContinues = false;
    DWORD idleStartTick = 0;
    std::vector<HWND> idleDoneWindows;

    const SupportLibrary* libraries[kSupportLibraryCount] = {};
    intptr_t libraryData[kSupportLibraryCount] = {};

    uint32_t currentModalFormId = 0;
};

RuntimeContext& Runtime();

// The runtime service function handed to every support library.
intptr_t RuntimeService(int request, intptr_t argument1, intptr_t argument2);

// Shutdown sequence (exit routines run unless discarded before).
void RunShutdownSequence(int exitCode);

}  // namespace rt
