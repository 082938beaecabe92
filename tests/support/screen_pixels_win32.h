// What the display shows of a window, read back for the tests' pixel checks.
// Every read first lets the window paint what it owes.
#pragma once

#include <windows.h>

#include <vector>

namespace rt::testing {

// A pixel of the window including its frame.
COLORREF WindowPixel(HWND window, int x, int y);
// The pixel at client (x, y).
COLORREF ClientPixel(HWND window, int x, int y);
// The client pixels of `rect`, row by row, children included.
std::vector<COLORREF> ClientPixels(HWND window, const RECT& rect);
// The whole client area, row by row.
std::vector<COLORREF> ClientPixels(HWND window);

// `text` as one opaque TextOut with the font and colours draws it, the
// text's extent in `size`.
std::vector<COLORREF> TextPixels(HFONT font, const wchar_t* text, COLORREF ink, COLORREF background, SIZE* size);
// Whether `block` (blockWidth wide) appears whole somewhere in `image` (imageWidth wide).
bool ContainsBlock(const std::vector<COLORREF>& image, int imageWidth, const std::vector<COLORREF>& block, int blockWidth);

// Client pixels of `rect` that differ from `background`.
int PixelsOtherThan(HWND window, const RECT& rect, COLORREF background);
// Client pixels of `rect` that have exactly this colour.
int PixelsOf(HWND window, const RECT& rect, COLORREF colour);

}  // namespace rt::testing
