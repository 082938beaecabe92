#include "support/screen_pixels_win32.h"

#include <cstdint>

namespace testing_support {

COLORREF WindowPixel(HWND window, int x, int y) {
    UpdateWindow(window);
    HDC dc = GetDCEx(window, nullptr, DCX_WINDOW | DCX_CACHE);
    COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return pixel;
}

COLORREF ClientPixel(HWND window, int x, int y) {
    UpdateWindow(window);
    HDC dc = GetDC(window);
    COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return pixel;
}

std::vector<COLORREF> ClientPixels(HWND window, const RECT& rect) {
    UpdateWindow(window);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return {};
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE);  // through the children: what the display shows
    BitBlt(memory, 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
    ReleaseDC(window, dc);
    GdiFlush();
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    const auto* source = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = RGB(source[i * 4 + 2], source[i * 4 + 1], source[i * 4]);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return pixels;
}

std::vector<COLORREF> ClientPixels(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return ClientPixels(window, client);
}

int PixelsOtherThan(HWND window, const RECT& rect, COLORREF background) {
    int count = 0;
    for (COLORREF pixel : ClientPixels(window, rect)) count += pixel != background;
    return count;
}

int PixelsOf(HWND window, const RECT& rect, COLORREF colour) {
    int count = 0;
    for (COLORREF pixel : ClientPixels(window, rect)) count += pixel == colour;
    return count;
}

}  // namespace testing_support
