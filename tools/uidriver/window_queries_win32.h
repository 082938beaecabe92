// Looking at other programs' windows without trusting them to answer: every
// message that needs the owner's thread goes with a time-out.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/uidriver/form_matcher.h"
#include "tools/uidriver/json_value.h"

namespace uidriver {

std::vector<HWND> TopLevelWindows();  // z-order, topmost first
std::vector<HWND> DescendantWindows(HWND window);
DWORD WindowProcessId(HWND window);
DWORD WindowThreadId(HWND window);
std::string WindowClassName(HWND window);  // UTF-8
// The caption as the window manager keeps it; sends nothing.
std::wstring StoredWindowText(HWND window);
// WM_GETTEXT through the owner's thread; nothing when it does not answer in time.
std::optional<std::wstring> ReadWindowText(HWND window, UINT timeoutMs);

// Visible and enabled as a user meets them: the window and all its ancestors.
bool ReallyVisible(HWND window);
bool ReallyEnabled(HWND window);

// Place of a window: a top-level window on the screen, a child in its
// parent's client area.
RECT PlaceInParent(HWND window);

ObservedWindow ObserveWindow(HWND window);

// Handle words as the driver prints them.
std::string HandleText(HWND window);

// Answers the owner's thread gets to after everything sent to it before: true
// when it answered within the time-out (its work is done, or it waits in a
// nested message loop such as a modal window or message box).
bool SettleThread(HWND windowOfThread, UINT timeoutMs);
// The same for a thread whose window may be gone by now: any window of the
// thread will do; a thread without windows has nothing left to settle.
bool SettleThreadById(DWORD threadId, HWND preferred, UINT timeoutMs);

// Describes a window for an answer (added to `into`): handle, class, text,
// place and state.
JsonValue DescribeWindow(HWND window, UINT textTimeoutMs, JsonValue into = JsonValue::Object());

}  // namespace uidriver
