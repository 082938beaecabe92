#include "tools/uidriver/screen_capture_win32.h"

namespace uidriver {

bool CaptureWindow(HWND window, CaptureMethod method, bool clientOnly, CapturedImage* image) {
    RECT windowRect{};
    if (!GetWindowRect(window, &windowRect)) return false;
    RECT area = windowRect;  // screen coordinates of what is taken
    if (clientOnly) {
        RECT client{};
        GetClientRect(window, &client);
        MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
        area = client;
    }
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    bool done = false;
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        switch (method) {
            case CaptureMethod::kScreen:
                done = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != FALSE;
                break;
            case CaptureMethod::kWindow: {
                HDC source = clientOnly ? GetDC(window) : GetWindowDC(window);
                if (source) {
                    done = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
                    ReleaseDC(window, source);
                }
                break;
            }
        }
        GdiFlush();
        if (done) {
            image->width = width;
            image->height = height;
            const uint32_t* source = static_cast<const uint32_t*>(bits);
            image->pixels.assign(source, source + static_cast<size_t>(width) * height);
            for (uint32_t& pixel : image->pixels) pixel &= 0x00FFFFFF;
        }
        SelectObject(memory, old);
    }
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return done;
}

}  // namespace uidriver
