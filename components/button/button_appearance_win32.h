// What the button and the check box share: the picture shown on them and the
// alignment of their caption.
#pragma once

#include <windows.h>

#include "components/common/scoped_gdi_win32.h"
#include "components/properties/property_layout.h"

namespace components {

// An icon or cursor picture becomes an icon, any other picture a bitmap.
class ButtonPicture {
public:
    // Decodes the bytes, blending translucent pixels against blendColour.
    // False, holding nothing, when they are no picture.
    bool Load(const Bytes& bytes, COLORREF blendColour);
    void Release();
    // BS_ICON, BS_BITMAP, or 0 without a picture.
    DWORD Style() const;
    // Hands the image to the button (BM_SETIMAGE); it stays owned here.
    void ShowOn(HWND button) const;

private:
    ScopedIcon icon_;
    ScopedGdiObject<HBITMAP> bitmap_;
};

// BS_LEFT/BS_CENTER/BS_RIGHT with BS_TOP/BS_VCENTER/BS_BOTTOM for the
// horizontal and vertical picks 0..2.
DWORD ButtonAlignmentStyle(int horizontal, int vertical);
// Replaces the alignment of a live button and repaints it.
void SetButtonAlignment(HWND button, int horizontal, int vertical);

}  // namespace components
