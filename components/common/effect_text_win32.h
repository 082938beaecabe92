// Text drawn with the display components' effects: plain, raised, sunken
// and shadowed.
#pragma once

#include <windows.h>

#include <string>

namespace components {

enum TextEffect : int { kEffectPlain = 0, kEffectRaised = 1, kEffectSunken = 2, kEffectShadow = 3 };

// DrawText flags for the horizontal (0 left, 1 centre, 2 right) and vertical
// (0 top, 1 centre, 2 bottom) alignment; word wrap always centres vertically.
UINT TextLayoutFlags(int horizontal, int vertical, bool wordWrap);

// Draws `text` in `rect` of dc (font and transparent mode already selected)
// with the effect: raised puts a white copy one pixel right and down beneath
// the text, sunken puts the text one pixel right and down over a white copy,
// shadow puts a black copy two pixels right and down beneath it.
void DrawEffectText(HDC dc, const std::wstring& text, const RECT& rect, UINT flags, COLORREF colour, int effect);

}  // namespace components
