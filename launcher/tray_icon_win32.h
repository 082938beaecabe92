// The launcher's notification-area icon: the main window is subclassed to
// receive the icon's messages and to put the icon back when the task bar is
// re-created.
#pragma once

#include <windows.h>

#include <cstdint>

namespace launcher {

constexpr uint32_t kTrayNotifyMessage = 123456;

// A tray callback: called with the mouse message of the icon.
using TrayCallbackFunction = void (*)(int32_t mouseMessage);

void AddTrayIcon(uint32_t formId, const char* tip, TrayCallbackFunction callback);
void ShowTrayBalloon(const char* title, const char* text, uint32_t infoFlags);
// Removes the icon (NIM_DELETE) when one was added.
void RemoveTrayIcon();

// The subclass procedure of the main window.
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Left click shows the main window as designed, double click shows it.
void TrayMouseHandler(int32_t mouseMessage);

}  // namespace launcher
