// Window classes of the runtime's own components.
#pragma once

#include <windows.h>

namespace components {

constexpr wchar_t kWindowDefaultClass[] = L"QMWindow";
constexpr wchar_t kTransparentLabelClass[] = L"_WK_TransLabel";
constexpr wchar_t kTimerClass[] = L"_WK_Timer";

// Registers the class once with the arrow cursor and the null brush; true
// when it is registered (by this call or before).
bool EnsureComponentClass(const wchar_t* name, WNDPROC procedure, UINT style);

// The window procedure a class was registered with, or null when the class
// is not registered in this process.
WNDPROC RegisteredProcedure(const wchar_t* name);

}  // namespace components
