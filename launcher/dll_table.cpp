#include "launcher/dll_table.h"

namespace launcher {

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
    "SetWindowLongA",           "lstrcpyn",          "Shell_NotifyIconA", "RtlMoveMemory",
    "CreateIconFromResource",   "CallWindowProcA",   "CallWindowProcA",   "Process32First",
    "Process32Next",            "CreateProcessA",    "FindWindowExA",     "SetWindowTextA",
};

}  // namespace launcher
