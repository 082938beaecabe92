// The window's background: its picture in one of four modes, and BackColor
// wherever the picture leaves the update area uncovered.
#include "components/pictures/picture_decoder.h"
#include "components/pictures/picture_placement.h"
#include "components/window_component_win32.h"

namespace components {
namespace {

enum PictureMode : int { kPictureTopLeft = 0, kPictureTiled = 1, kPictureCentred = 2, kPictureStretched = 3 };

COLORREF ResolvedColour(uint32_t colour) {
    return colour == kDefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

void SubtractRectangle(HRGN region, int x, int y, int width, int height) {
    HRGN drawn = CreateRectRgn(x, y, x + width, y + height);
    CombineRgn(region, region, drawn, RGN_DIFF);
    DeleteObject(drawn);
}

BOOL CALLBACK InvalidateTransparentChild(HWND child, LPARAM) {
    if (IsWindowVisible(child) && (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT))
        InvalidateRect(child, nullptr, TRUE);
    return TRUE;
}

}  // namespace

bool WindowComponent::EnsurePicture() {
    if (pictureState_ == PictureState::NotDecoded) {
        pictureState_ = PictureState::Failed;
        const Bytes& bytes = data_.BackPicture;
        if (!bytes.empty() &&
            pictures::DecodePicture(bytes.data(), static_cast<int64_t>(bytes.size()), picture_) == pictures::DecodeStatus::Ok &&
            pictureBitmap_.Make(picture_, ResolvedColour(data_.BackColor)))
            pictureState_ = PictureState::Ready;
        picture_.Clear();  // the drawable copy is all that painting needs
    }
    return pictureState_ == PictureState::Ready;
}

void WindowComponent::DropPicture() {
    pictureBitmap_.Release();
    picture_.Clear();
    pictureState_ = PictureState::NotDecoded;
}

void WindowComponent::InvalidateBackground() {
    InvalidateRect(window_, nullptr, TRUE);
    EnumChildWindows(window_, InvalidateTransparentChild, 0);
}

void WindowComponent::PaintBackground(HDC dc) {
    RECT update;
    if (GetClipBox(dc, &update) == NULLREGION) return;
    RECT client;
    GetClientRect(window_, &client);
    HRGN remaining = CreateRectRgnIndirect(&update);
    if (EnsurePicture()) {
        int pictureWidth = pictureBitmap_.Width(), pictureHeight = pictureBitmap_.Height();
        int clientWidth = client.right, clientHeight = client.bottom;
        switch (data_.PictureMode) {
        case kPictureTopLeft:
            pictureBitmap_.Draw(dc, 0, 0, pictureWidth, pictureHeight);
            SubtractRectangle(remaining, 0, 0, pictureWidth, pictureHeight);
            break;
        case kPictureTiled:
            for (int y = 0; y < clientHeight; y += pictureHeight) {
                for (int x = 0; x < clientWidth; x += pictureWidth) {
                    RECT tile{x, y, x + pictureWidth, y + pictureHeight}, overlap;
                    if (IntersectRect(&overlap, &tile, &update)) pictureBitmap_.Draw(dc, x, y, pictureWidth, pictureHeight);
                }
            }
            SetRectRgn(remaining, 0, 0, 0, 0);
            break;
        case kPictureCentred: {
            pictures::PicturePlacement place = pictures::PlaceCentred(clientWidth, clientHeight, pictureWidth, pictureHeight);
            pictureBitmap_.Draw(dc, place.x, place.y, place.width, place.height);
            SubtractRectangle(remaining, place.x, place.y, place.width, place.height);
            break;
        }
        default:
            pictureBitmap_.Draw(dc, 0, 0, clientWidth, clientHeight);
            SetRectRgn(remaining, 0, 0, 0, 0);
            break;
        }
    }
    HBRUSH brush = CreateSolidBrush(ResolvedColour(data_.BackColor));
    FillRgn(dc, remaining, brush);
    DeleteObject(brush);
    DeleteObject(remaining);
}

}  // namespace components
