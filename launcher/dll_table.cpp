#include "launcher/dll_table.h"

namespace launcher {
namespace {

// A window procedure is pointer-sized: the 64-bit build must set it whole.
#if UINTPTR_MAX > 0xFFFFFFFFu
constexpr const char* kSetWindowLongExport = "SetWindowLongPtrA";
#else
constexpr const char* kSetWindowLongExport = "SetWindowLongA";
#endif

}  // namespace

const char* const kDllLibraryNames[kDllCommandCount] = {
    "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll", "user32",
    "msvcrt.dll",   "Kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll",
    "user32",       "",             "",             "",             "",             "user32",
    "user32.dll",   "kernel32.dll", "kernel32.dll", "kernel32.dll", "user32.dll",   "user32.dll",
};

const char* const kDllExportNames[kDllCommandCount] = {
    "GetCurrentProcessId",      "GetCurrentProcess", "OpenProcess",       "TerminateProcess",
    "CloseHandle",              "RegisterWindowMessageA", "strlen",       "MultiByteToWideChar",
    "CreateToolhelp32Snapshot", "Process32FirstW",   "Process32NextW",    "IsBadStringPtrA",
    kSetWindowLongExport,       "lstrcpyn",          "Shell_NotifyIconA", "RtlMoveMemory",
    "CreateIconFromResource",   "CallWindowProcA",   "CallWindowProcA",   "Process32First",
    "Process32Next",            "CreateProcessA",    "FindWindowExA",     "SetWindowTextA",
};

}  // namespace launcher
