// Functions of system DLLs that nothing needs before the first window shows
// (the HTTP client, sounds), found when first called instead of imported:
// under Wine every module loaded at start makes the start, and each process
// snapshot, slower.
//
//   static const auto play = rt::LateFunction<decltype(&PlaySoundW)>(L"winmm.dll", "PlaySoundW");
//   if (play && play(...)) ...
#pragma once

#include <windows.h>

namespace rt {

// The DLL of that name from the system folder, never from the program's
// folder or the current one; null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function's address, null when the DLL cannot be loaded or lacks it.
// The DLL stays loaded for the rest of the process.
template <typename Pointer>
Pointer LateFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    if (!module) return nullptr;
    return reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace rt
