// How an image button looks in a given state: background, edge, state
// picture, caption and focus rectangle, drawn in one pass.
#pragma once

#include <windows.h>

#include <string>

#include "components/image_button_image_win32.h"

namespace components {

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
