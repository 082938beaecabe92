#include "components/common/effect_text_win32.h"

namespace components {
namespace {

void DrawAt(HDC dc, const std::wstring& text, RECT rect, int offset, UINT flags, COLORREF colour) {
    OffsetRect(&rect, offset, offset);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

}  // namespace

UINT TextLayoutFlags(int horizontal, int vertical, bool wordWrap) {
    UINT flags = DT_NOCLIP | (horizontal == 1 ? DT_CENTER : horizontal == 2 ? DT_RIGHT : DT_LEFT);
    if (wordWrap) return flags | DT_WORDBREAK | DT_VCENTER;
    return flags | DT_SINGLELINE | (vertical == 1 ? DT_VCENTER : vertical == 2 ? DT_BOTTOM : DT_TOP);
}

void DrawEffectText(HDC dc, const std::wstring& text, const RECT& rect, UINT flags, COLORREF colour, int effect) {
    if (text.empty()) return;
    constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
    switch (effect) {
    case kEffectRaised:
        DrawAt(dc, text, rect, 1, flags, kWhite);
        DrawAt(dc, text, rect, 0, flags, colour);
        break;
    case kEffectSunken:
        DrawAt(dc, text, rect, 0, flags, kWhite);
        DrawAt(dc, text, rect, 1, flags, colour);
        break;
    case kEffectShadow:
        DrawAt(dc, text, rect, 2, flags, kBlack);
        DrawAt(dc, text, rect, 0, flags, colour);
        break;
    default: DrawAt(dc, text, rect, 0, flags, colour); break;
    }
}

}  // namespace components
