// How an image button looks: its state pictures (each with the transparent
// pixels turned black and a monochrome mask that marks them), and the
// background, edge, state picture, caption and focus rectangle of a state,
// drawn in one pass.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "components/common/scoped_gdi_win32.h"
#include "components/properties/property_layout.h"

namespace components {

// One state picture of the image button.
class ButtonStateImage {
public:
    // Decodes the picture (translucent pixels blended against blendColour)
    // and masks every pixel of the transparent colour; kDefaultColour takes
    // the colour of the top-left pixel. False, holding nothing, when the
    // bytes are no picture.
    bool Build(const Bytes& picture, uint32_t transparentColour, COLORREF blendColour);
    void Release();

    bool Ready() const { return static_cast<bool>(picture_); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The opaque pixels at (x, y); the transparent ones leave the target as it was.
    void DrawTransparent(HDC target, int x, int y) const;
    // The opaque pixels' outline embossed in the system's disabled colours.
    void DrawDisabled(HDC target, int x, int y) const;

private:
    ScopedGdiObject<HBITMAP> picture_;  // 32-bit, transparent pixels black
    ScopedGdiObject<HBITMAP> mask_;     // 1 where transparent
    int width_ = 0, height_ = 0;
};

enum ImageButtonStyle : int { kButtonFlat = 0, kButton3D = 1, kButtonXP = 2 };
enum ImageButtonSlot : int { kSlotHot = 0, kSlotNormal = 1, kSlotDisabled = 2, kSlotCount = 3 };

struct ImageButtonColours {
    COLORREF captionOut, backOut, captionIn, backIn, captionFocus, backFocus;
};

struct ImageButtonLook {
    int style = kButton3D;
    int align = 0;
    bool checkBoxMode = false;
    bool checked = false;
    bool defaultButton = false;
    bool hot = false;
    bool drawBorder = true;
    bool drawFocus = true;
    POINT pressOffset{1, 1};
    ImageButtonColours colours{};
    const ButtonStateImage* images[kSlotCount] = {};
    std::wstring caption;
    HFONT font = nullptr;
};

// Paints the whole client rectangle; itemState holds the ODS_SELECTED,
// ODS_FOCUS and ODS_DISABLED bits of the owner-draw request.
void PaintImageButton(HDC dc, const RECT& client, UINT itemState, const ImageButtonLook& look);

}  // namespace components
