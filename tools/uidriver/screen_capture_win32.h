// Pictures of windows: from the screen where the window lies (what a player
// sees), or from the window's own device context. (PrintWindow cannot serve:
// the other program would have to draw into this process's device context.)
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace uidriver {

enum class CaptureMethod { kScreen, kWindow };

struct CapturedImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// `clientOnly` takes the client area instead of the whole window.
bool CaptureWindow(HWND window, CaptureMethod method, bool clientOnly, CapturedImage* image);

}  // namespace uidriver
