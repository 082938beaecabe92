// Pictures of windows: from the screen where the window lies (what a player
// sees), from the window's own device context, or drawn by the window into a
// bitmap (PrintWindow).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace uidriver {

enum class CaptureMethod { kScreen, kWindow, kPrint };

struct CapturedImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// `clientOnly` takes the client area instead of the whole window.
bool CaptureWindow(HWND window, CaptureMethod method, bool clientOnly, CapturedImage* image);

}  // namespace uidriver
