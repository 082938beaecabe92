// The window's background: its picture in one of four modes, and BackColor
// wherever the picture leaves the update area uncovered.
#include <optional>

#include "components/common/scoped_gdi_win32.h"
#include "components/pictures/picture_drawing_win32.h"
#include "components/pictures/picture_placement.h"
#include "components/window/window_component_win32.h"
#include "runtime/startup_trace.h"

namespace components {
namespace {

COLORREF ResolvedColour(uint32_t colour) {
    return colour == kDefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

BOOL CALLBACK InvalidateTransparentChild(HWND child, LPARAM) {
    if (IsWindowVisible(child) && (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT))
        InvalidateRect(child, nullptr, TRUE);
    return TRUE;
}

}  // namespace

bool WindowComponent::EnsurePicture() {
    if (pictureState_ == PictureState::NotDecoded) {
        trace::Span span("background picture: decode and prepare");
        pictureState_ = PictureState::Failed;
        const Bytes& bytes = data_.BackPicture;
        if (backgroundPicture_.FlattenEncoded(bytes.data(), bytes.size(), ResolvedColour(data_.BackColor)))
            pictureState_ = PictureState::Ready;
    }
    return pictureState_ == PictureState::Ready;
}

void WindowComponent::DropPicture() {
    backgroundPicture_.Release();
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
    ScopedGdiObject<HRGN> remaining(CreateRectRgnIndirect(&update));
    if (EnsurePicture()) {
        // Modes beyond centred are stretched.
        int mode = data_.PictureMode >= pictures::kBackgroundTopLeft && data_.PictureMode <= pictures::kBackgroundCentred
                       ? data_.PictureMode
                       : pictures::kBackgroundStretched;
        std::optional<trace::Span> span;
        if (!paintedOnce_) span.emplace("background picture: draw");
        PlaceBackgroundPicture(dc, backgroundPicture_, mode, client, update, remaining.Get(),
                               ResolvedColour(data_.BackColor));
    }
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(ResolvedColour(data_.BackColor)));
    FillRgn(dc, remaining.Get(), brush.Get());
}

}  // namespace components
