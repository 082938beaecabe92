#include "components/button/button_appearance_win32.h"

#include "components/pictures/picture_decoder.h"
#include "components/pictures/picture_drawing_win32.h"

namespace components {
namespace {

constexpr DWORD kHorizontalBits = BS_LEFT | BS_CENTER | BS_RIGHT;
constexpr DWORD kVerticalBits = BS_TOP | BS_VCENTER | BS_BOTTOM;

HICON MakeIcon(const pictures::PictureObject& picture) {
    const pictures::IconImage& image = picture.iconImage;
    if (image.resource.empty()) return nullptr;
    auto bytes = const_cast<BYTE*>(image.resource.data());
    auto size = static_cast<DWORD>(image.resource.size());
    HICON icon = CreateIconFromResourceEx(bytes, size, image.isIcon, 0x00030000, static_cast<int>(picture.width),
                                          static_cast<int>(picture.height), LR_DEFAULTCOLOR);
    if (!icon && image.bitsPerPixel != 16) icon = CreateIconFromResource(bytes, size, image.isIcon, 0x00030000);
    return icon;
}

// A device-dependent copy of the picture, for the button to draw.
HBITMAP MakeBitmap(const pictures::PictureObject& picture, COLORREF blendColour) {
    PreparedPicture pixels;
    if (!pixels.Flatten(picture, blendColour)) return nullptr;
    HDC screen = GetDC(nullptr);
    ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, pixels.Width(), pixels.Height()));
    ScopedMemoryDc memory(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    if (!bitmap || !memory) return nullptr;
    HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
    pixels.Draw(memory.Get(), 0, 0, pixels.Width(), pixels.Height());
    SelectObject(memory.Get(), old);
    return bitmap.Take();
}

}  // namespace

bool ButtonPicture::Load(const Bytes& bytes, COLORREF blendColour) {
    Release();
    if (bytes.empty()) return false;
    pictures::PictureObject picture;
    if (pictures::DecodePicture(bytes.data(), static_cast<int64_t>(bytes.size()), picture) != pictures::DecodeStatus::kOk)
        return false;
    if (picture.kind == pictures::PictureKind::Icon || picture.kind == pictures::PictureKind::Cursor)
        icon_.Reset(MakeIcon(picture));
    else
        bitmap_.Reset(MakeBitmap(picture, blendColour));
    return icon_ || bitmap_;
}

void ButtonPicture::Release() {
    icon_.Reset();
    bitmap_.Reset();
}

DWORD ButtonPicture::Style() const { return icon_ ? BS_ICON : bitmap_ ? BS_BITMAP : 0; }

void ButtonPicture::ShowOn(HWND button) const {
    if (icon_) SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_.Get()));
    else if (bitmap_) SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.Get()));
}

DWORD ButtonAlignmentStyle(int horizontal, int vertical) {
    DWORD style = horizontal == 0 ? BS_LEFT : horizontal == 2 ? BS_RIGHT : BS_CENTER;
    return style | (vertical == 0 ? BS_TOP : vertical == 2 ? BS_BOTTOM : BS_VCENTER);
}

void SetButtonAlignment(HWND button, int horizontal, int vertical) {
    auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
    style = (style & ~(kHorizontalBits | kVerticalBits)) | ButtonAlignmentStyle(horizontal, vertical);
    SetWindowLongW(button, GWL_STYLE, static_cast<LONG>(style));
    InvalidateRect(button, nullptr, TRUE);
}

}  // namespace components
