#include "support/screen_pixels_win32.h"

#include <cstdint>

namespace rt::testing {

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

namespace {

// What `draw` puts into a width x height 32-bit bitmap, top row first.
template <typename Draw>
std::vector<COLORREF> DrawnPixels(int width, int height, Draw draw) {
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
    draw(memory);
    GdiFlush();
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    const auto* source = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = RGB(source[i * 4 + 2], source[i * 4 + 1], source[i * 4]);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return pixels;
}

}  // namespace

std::vector<COLORREF> ClientPixels(HWND window, const RECT& rect) {
    UpdateWindow(window);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    return DrawnPixels(width, height, [&](HDC memory) {
        HDC dc = GetDCEx(window, nullptr, DCX_CACHE);  // through the children: what the display shows
        BitBlt(memory, 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
        ReleaseDC(window, dc);
    });
}

std::vector<COLORREF> TextPixels(HFONT font, const wchar_t* text, COLORREF ink, COLORREF background, SIZE* size) {
    HDC measure = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(measure, font);
    const int length = lstrlenW(text);
    *size = SIZE{};
    GetTextExtentPoint32W(measure, text, length, size);
    SelectObject(measure, oldFont);
    DeleteDC(measure);
    return DrawnPixels(size->cx, size->cy, [&](HDC memory) {
        HGDIOBJ previous = SelectObject(memory, font);
        SetTextColor(memory, ink);
        SetBkColor(memory, background);
        SetBkMode(memory, OPAQUE);
        TextOutW(memory, 0, 0, text, length);
        SelectObject(memory, previous);
    });
}

bool ContainsBlock(const std::vector<COLORREF>& image, int imageWidth, const std::vector<COLORREF>& block, int blockWidth) {
    if (imageWidth <= 0 || blockWidth <= 0 || blockWidth > imageWidth || block.empty()) return false;
    const int imageHeight = static_cast<int>(image.size()) / imageWidth;
    const int blockHeight = static_cast<int>(block.size()) / blockWidth;
    for (int top = 0; top + blockHeight <= imageHeight; ++top)
        for (int left = 0; left + blockWidth <= imageWidth; ++left) {
            bool same = true;
            for (int y = 0; same && y < blockHeight; ++y)
                for (int x = 0; same && x < blockWidth; ++x)
                    same = image[static_cast<size_t>(top + y) * imageWidth + left + x] == block[static_cast<size_t>(y) * blockWidth + x];
            if (same) return true;
        }
    return false;
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

}  // namespace rt::testing
