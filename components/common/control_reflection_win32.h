// Notifications of the standard controls arrive at their parent (the form
// window or a container). The parent hands them back to the control they
// concern, which handles them as reflected messages in its own procedure.
#pragma once

#include <windows.h>

namespace components {

// A reflected message is the original message number plus this base.
constexpr UINT kReflectedMessageBase = 0x2000;

// To be called by a parent window for WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and
// WM_CTLCOLORMSGBOX..WM_CTLCOLORSTATIC. True when a standard control took the
// message; the parent then returns *result instead of its default handling.
bool ReflectToControl(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Marks `window` (a control, or a helper window of one) so that messages
// about it are reflected to `target`; a null target removes the mark.
void SetReflectionTarget(HWND window, HWND target);

}  // namespace components
