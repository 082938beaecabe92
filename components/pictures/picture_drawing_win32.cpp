#include "components/pictures/picture_drawing_win32.h"

#include "components/common/scoped_gdi_win32.h"
#include "components/pictures/picture_placement.h"

namespace components {
namespace {

void Cover(HDC dc, const PreparedPicture& picture, const RECT& place, HRGN uncovered, COLORREF background) {
    if (picture.IsIcon()) {
        SetDCBrushColor(dc, background);
        FillRect(dc, &place, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    picture.Draw(dc, place.left, place.top, place.right - place.left, place.bottom - place.top);
    ScopedGdiObject<HRGN> covered(CreateRectRgnIndirect(&place));
    if (!covered) return;
    CombineRgn(uncovered, uncovered, covered.Get(), RGN_DIFF);
}

pictures::Area AreaOf(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

void PlaceBackgroundPicture(HDC dc, const PreparedPicture& picture, int mode, const RECT& area, const RECT& update,
                            HRGN uncovered, COLORREF background) {
    if (!picture.Ready() || area.right <= area.left || area.bottom <= area.top) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    pictures::PlaceBackground(mode, AreaOf(area), AreaOf(update), picture.Width(), picture.Height(),
                              [&](const pictures::PicturePlacement& place) {
                                  Cover(dc, picture, RECT{place.x, place.y, place.x + place.width, place.y + place.height},
                                        uncovered, background);
                              });
    RestoreDC(dc, saved);
}

}  // namespace components
