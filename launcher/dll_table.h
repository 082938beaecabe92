// The launcher's declared system-library commands, by table index.
#pragma once

#include <cstdint>

namespace launcher {

enum DllCommand : uint32_t {
    kGetCurrentProcessId = 0,
    kGetCurrentProcess = 1,
    kOpenProcess = 2,
    kTerminateProcess = 3,
    kCloseHandle = 4,
    kRegisterWindowMessageA = 5,
    kStrlen = 6,
    kMultiByteToWideChar = 7,
    kCreateToolhelp32Snapshot = 8,
    kProcess32FirstW = 9,
    kProcess32NextW = 10,
    kIsBadStringPtrA = 11,
    kSetWindowLongPtrA = 12,  // SetWindowLongA on i686, where the two are one function
    kLstrcpyn = 13,
    kShellNotifyIconA = 14,
    kRtlMoveMemory = 15,
    kCreateIconFromResource = 16,
    kCallWindowProcAPassOn = 17,
    kCallWindowProcACallback = 18,
    kProcess32First = 19,
    kProcess32Next = 20,
    kCreateProcessA = 21,
    kFindWindowExA = 22,
    kSetWindowTextA = 23,
    kDllCommandCount = 24,
};

extern const char* const kDllLibraryNames[kDllCommandCount];
extern const char* const kDllExportNames[kDllCommandCount];

}  // namespace launcher
