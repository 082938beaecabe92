#include "components/image_button_image_win32.h"

#include "components/picture_drawing_win32.h"
#include "components/pictures/picture_decoder.h"

namespace components {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);


// A memory device context with a bitmap selected, restored and freed on exit.
class BitmapContext {
public:
    BitmapContext(HDC compatibleWith, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatibleWith)) {
        if (dc_) old_ = SelectObject(dc_, bitmap);
    }
    BitmapContext(const BitmapContext&) = delete;
    BitmapContext& operator=(const BitmapContext&) = delete;
    ~BitmapContext() {
        if (!dc_) return;
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

bool ButtonStateImage::Build(const Bytes& bytes, uint32_t transparentColour, COLORREF blendColour) {
    Release();
    if (bytes.empty()) return false;
    pictures::PictureObject decoded;
    if (pictures::DecodePicture(bytes.data(), static_cast<int64_t>(bytes.size()), decoded) != pictures::DecodeStatus::Ok)
        return false;
    PictureBitmap pixels;
    if (!pixels.Make(decoded, blendColour)) return false;
    const int width = pixels.Width(), height = pixels.Height();
    HBITMAP picture = CreateTopDownBitmap(width, height);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (!picture || !mask) {
        if (picture) DeleteObject(picture);
        if (mask) DeleteObject(mask);
        return false;
    }
    {
        BitmapContext pictureDc(nullptr, picture), maskDc(nullptr, mask);
        if (!pictureDc || !maskDc) {
            DeleteObject(picture);
            DeleteObject(mask);
            return false;
        }
        pixels.Draw(pictureDc.Get(), 0, 0, width, height);
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
    picture_ = picture;
    mask_ = mask;
    width_ = width;
    height_ = height;
    return true;
}

void ButtonStateImage::Release() {
    if (picture_) DeleteObject(picture_);
    if (mask_) DeleteObject(mask_);
    picture_ = mask_ = nullptr;
    width_ = height_ = 0;
}

void ButtonStateImage::DrawTransparent(HDC target, int x, int y) const {
    if (!picture_) return;
    BitmapContext pictureDc(target, picture_), maskDc(target, mask_);
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
    HBITMAP composed = CreateTopDownBitmap(width_, height_);
    if (!composed) return;
    {
        BitmapContext composedDc(target, composed), pictureDc(target, picture_), maskDc(target, mask_);
        if (!composedDc || !pictureDc || !maskDc) {
            DeleteObject(composed);
            return;
        }
        BitBlt(composedDc.Get(), 0, 0, width_, height_, pictureDc.Get(), 0, 0, SRCCOPY);
        SetTextColor(composedDc.Get(), kBlack);
        SetBkColor(composedDc.Get(), kWhite);
        BitBlt(composedDc.Get(), 0, 0, width_, height_, maskDc.Get(), 0, 0, SRCPAINT);
        GdiFlush();
    }
    DrawStateW(target, nullptr, nullptr, reinterpret_cast<LPARAM>(composed), 0, x, y, width_, height_,
               DST_BITMAP | DSS_DISABLED);
    DeleteObject(composed);
}

}  // namespace components
