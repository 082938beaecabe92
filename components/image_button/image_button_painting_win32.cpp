#include "components/image_button/image_button_painting_win32.h"

#include <algorithm>
#include <utility>

#include "components/image_button/image_button_layout.h"
#include "components/pictures/picture_drawing_win32.h"

namespace components {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kRoundCorner = 8;
constexpr int kFocusInset = 3;

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FrameRect(dc, &rect, brush.Get());
}

// A one-pixel edge: topLeft along the top and left sides, bottomRight along
// the bottom and right ones.
void EdgeLines(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    if (r.right - r.left < 2 || r.bottom - r.top < 2) return;
    FillSolid(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

void RoundedBackground(HDC dc, const RECT& rect, COLORREF corners, COLORREF fill) {
    FillSolid(dc, rect, corners);
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kBlack));
    HGDIOBJ oldBrush = SelectObject(dc, brush.Get());
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, kRoundCorner, kRoundCorner);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

struct States {
    bool pressed, focused, disabled;
};

void PaintBackground(HDC dc, const RECT& rect, const States& s, const ImageButtonLook& look) {
    const ImageButtonColours& c = look.colours;
    if (look.hot || s.pressed) {
        if (look.style == kButtonXP) RoundedBackground(dc, rect, c.backOut, c.backIn);
        else FillSolid(dc, rect, c.backIn);
    } else {
        FillSolid(dc, rect, s.focused ? c.backFocus : c.backOut);
    }
}

void PaintEdge(HDC dc, const RECT& rect, const States& s, const ImageButtonLook& look) {
    if (s.pressed) {
        if (look.style == kButton3D) FrameSolid(dc, rect, GetSysColor(COLOR_BTNSHADOW));
        else if (look.drawBorder) EdgeLines(dc, rect, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    } else if (look.style == kButton3D) {
        EdgeLines(dc, rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        RECT inner = rect;
        InflateRect(&inner, -1, -1);
        EdgeLines(dc, inner, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
    } else if (look.hot && look.drawBorder) {
        EdgeLines(dc, rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    }
}

const ButtonStateImage* Usable(const ButtonStateImage* image) { return image && image->Ready() ? image : nullptr; }

// The state picture to show, and whether it is to be drawn grey.
const ButtonStateImage* ChooseImage(const States& s, const ImageButtonLook& look, bool* grey) {
    const ButtonStateImage* hot = Usable(look.images[kSlotHot]);
    const ButtonStateImage* normal = Usable(look.images[kSlotNormal]);
    *grey = false;
    if (s.disabled) {
        if (const ButtonStateImage* disabled = Usable(look.images[kSlotDisabled])) return disabled;
        *grey = true;
        return hot ? hot : normal;
    }
    bool showNormal = (look.checkBoxMode && !s.pressed) || (!s.pressed && !look.hot);
    const ButtonStateImage* first = showNormal ? normal : hot;
    return first ? first : (showNormal ? hot : normal);
}

void PaintCaption(HDC dc, const RECT& area, const States& s, const ImageButtonLook& look) {
    std::wstring text = look.caption;  // DrawText may not write into it, but takes a mutable pointer
    RECT measured{0, 0, std::max<LONG>(area.right - area.left, 1), 0};
    DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    const LONG width = measured.right - measured.left, height = measured.bottom - measured.top;
    RECT placed;
    placed.left = area.left + (area.right - area.left - width) / 2;
    placed.top = area.top + (area.bottom - area.top - height) / 2;
    placed.right = placed.left + width;
    placed.bottom = placed.top + height;
    constexpr UINT kFlags = DT_WORDBREAK | DT_CENTER;
    if (s.disabled) {
        RECT raised = placed;
        OffsetRect(&raised, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, text.c_str(), -1, &raised, kFlags);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextW(dc, text.c_str(), -1, &placed, kFlags);
        return;
    }
    const ImageButtonColours& c = look.colours;
    SetTextColor(dc, look.hot || s.pressed ? c.captionIn : s.focused ? c.captionFocus : c.captionOut);
    DrawTextW(dc, text.c_str(), -1, &placed, kFlags);
}

}  // namespace

bool ButtonStateImage::Build(const Bytes& bytes, uint32_t transparentColour, COLORREF blendColour) {
    Release();
    if (bytes.empty()) return false;
    PreparedPicture pixels;
    if (!pixels.FlattenEncoded(bytes.data(), bytes.size(), blendColour)) return false;
    const int width = pixels.Width(), height = pixels.Height();
    ScopedGdiObject<HBITMAP> picture(pixels.TakeFlattened());
    ScopedGdiObject<HBITMAP> mask(CreateBitmap(width, height, 1, 1, nullptr));
    if (!picture || !mask) return false;
    {
        SelectedBitmap pictureDc(nullptr, picture.Get()), maskDc(nullptr, mask.Get());
        if (!pictureDc || !maskDc) return false;
        COLORREF key = transparentColour == kDefaultColour ? GetPixel(pictureDc.Get(), 0, 0)
                                                           : static_cast<COLORREF>(transparentColour & 0x00FFFFFF);
        // Colour to monochrome: pixels of the background colour become 1.
        SetBkColor(pictureDc.Get(), key);
        BitBlt(maskDc.Get(), 0, 0, width, height, pictureDc.Get(), 0, 0, SRCCOPY);
        // Monochrome to colour: 1 becomes the background (black), 0 the text colour (white).
        SetTextColor(pictureDc.Get(), kWhite);
        SetBkColor(pictureDc.Get(), kBlack);
        BitBlt(pictureDc.Get(), 0, 0, width, height, maskDc.Get(), 0, 0, SRCAND);
        GdiFlush();
    }
    picture_ = std::move(picture);
    mask_ = std::move(mask);
    width_ = width;
    height_ = height;
    return true;
}

void ButtonStateImage::Release() {
    picture_.Reset();
    mask_.Reset();
    width_ = height_ = 0;
}

void ButtonStateImage::DrawTransparent(HDC target, int x, int y) const {
    if (!picture_) return;
    SelectedBitmap pictureDc(target, picture_.Get()), maskDc(target, mask_.Get());
    if (!pictureDc || !maskDc) return;
    COLORREF oldText = SetTextColor(target, kBlack);
    COLORREF oldBack = SetBkColor(target, kWhite);
    BitBlt(target, x, y, width_, height_, maskDc.Get(), 0, 0, SRCAND);
    BitBlt(target, x, y, width_, height_, pictureDc.Get(), 0, 0, SRCPAINT);
    SetTextColor(target, oldText);
    SetBkColor(target, oldBack);
}

void ButtonStateImage::DrawDisabled(HDC target, int x, int y) const {
    if (!picture_) return;
    // The embossing takes white pixels as empty, so the transparent ones turn white first.
    ScopedGdiObject<HBITMAP> composed(CreateTopDownBitmap(width_, height_));
    if (!composed) return;
    {
        SelectedBitmap composedDc(target, composed.Get()), pictureDc(target, picture_.Get()),
            maskDc(target, mask_.Get());
        if (!composedDc || !pictureDc || !maskDc) return;
        BitBlt(composedDc.Get(), 0, 0, width_, height_, pictureDc.Get(), 0, 0, SRCCOPY);
        SetTextColor(composedDc.Get(), kBlack);
        SetBkColor(composedDc.Get(), kWhite);
        BitBlt(composedDc.Get(), 0, 0, width_, height_, maskDc.Get(), 0, 0, SRCPAINT);
        GdiFlush();
    }
    DrawStateW(target, nullptr, nullptr, reinterpret_cast<LPARAM>(composed.Get()), 0, x, y, width_, height_,
               DST_BITMAP | DSS_DISABLED);
}

void PaintImageButton(HDC dc, const RECT& client, UINT itemState, const ImageButtonLook& look) {
    States s;
    s.pressed = (itemState & ODS_SELECTED) || (look.checkBoxMode && look.checked);
    s.focused = (itemState & ODS_FOCUS) != 0;
    s.disabled = (itemState & ODS_DISABLED) != 0;
    int oldMode = SetBkMode(dc, TRANSPARENT);

    RECT rect = client;
    if (look.style == kButton3D && (s.focused || look.defaultButton)) {
        FrameSolid(dc, rect, kBlack);
        InflateRect(&rect, -1, -1);
    }
    PaintBackground(dc, rect, s, look);
    PaintEdge(dc, rect, s, look);

    // Only a push moves the contents; a checked box stays in place.
    const bool shifted = s.pressed && !look.checkBoxMode;
    bool grey = false;
    const ButtonStateImage* image = ChooseImage(s, look, &grey);
    ImageButtonLayout layout = LayOutImageButton(
        look.align, {rect.left, rect.top, rect.right, rect.bottom}, client.right - client.left,
        image ? image->Width() : 0, image ? image->Height() : 0, image != nullptr, !look.caption.empty());
    if (image) {
        int x = layout.pictureX + (shifted ? look.pressOffset.x : 0);
        int y = layout.pictureY + (shifted ? look.pressOffset.y : 0);
        if (grey) image->DrawDisabled(dc, x, y);
        else image->DrawTransparent(dc, x, y);
    }

    if (!look.caption.empty()) {
        RECT area{layout.captionArea.left, layout.captionArea.top, layout.captionArea.right, layout.captionArea.bottom};
        if (shifted) OffsetRect(&area, look.pressOffset.x, look.pressOffset.y);
        HGDIOBJ oldFont = look.font ? SelectObject(dc, look.font) : nullptr;
        COLORREF oldText = GetTextColor(dc);
        PaintCaption(dc, area, s, look);
        SetTextColor(dc, oldText);
        if (oldFont) SelectObject(dc, oldFont);
    }

    if (s.focused && (look.style == kButton3D || look.drawFocus)) {
        RECT focus = rect;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        COLORREF oldText = SetTextColor(dc, kBlack);
        COLORREF oldBack = SetBkColor(dc, kWhite);
        DrawFocusRect(dc, &focus);
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
    }
    SetBkMode(dc, oldMode);
}

}  // namespace components
