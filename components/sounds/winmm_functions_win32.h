// winmm.dll's players, loaded with the first sound rather than with the
// program: most starts play none. Without the DLL nothing plays.
#pragma once

#include <windows.h>

namespace components {

// PlaySoundW; FALSE when winmm.dll is missing.
BOOL PlaySoundLate(LPCWSTR sound, HMODULE module, DWORD flags);
// mciSendStringW without a reply buffer; nonzero (an error) when winmm.dll is missing.
DWORD SendMciStringLate(LPCWSTR command, HWND notify);

}  // namespace components
