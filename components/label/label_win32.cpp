#include "components/label/label_win32.h"

#include <algorithm>

#include "components/common/component_types_win32.h"
#include "components/common/component_window_class_win32.h"
#include "components/common/effect_text_win32.h"
#include "components/common/scoped_gdi_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/pictures/picture_drawing_win32.h"
#include "components/pictures/picture_placement.h"
#include "components/properties/stored_property_access.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

enum OwnProperty {
    kCaption, kEffect, kBorder, kBorderWidth, kBorderColor1, kBorderColor2, kBorderColor3, kFont, kTextColor,
    kBackColor, kBackPicture, kPictureMode, kGradientStyle, kGradientColor1, kGradientColor2, kGradientColor3,
    kHAlign, kWordWrap, kVAlign, kDataSource, kDataColumn, kPropertyCount
};

const rt::PropertyDescriptor kProperties[kPropertyCount] = {
    {"标题", "caption", rt::kPropertyText},
    {"效果", "effect", rt::kPropertyPick},
    {"边框", "border", rt::kPropertyPick},
    {"边框宽度", "BorderWidth", rt::kPropertyInteger},
    {"边框颜色1", "BorderColor1", rt::kPropertyColour},
    {"边框颜色2", "BorderColor2", rt::kPropertyColour},
    {"边框颜色3", "BorderColor3", rt::kPropertyColour},
    {"字体", "font", rt::kPropertyFont},
    {"文本颜色", "TextColor", rt::kPropertyColour},
    {"背景颜色", "BackColor", rt::kPropertyColour},
    {"底图", "BackPicture", rt::kPropertyPicture},
    {"底图方式", "PictureMode", rt::kPropertyPick},
    {"渐变背景方式", "GradientStyle", rt::kPropertyPick},
    {"渐变背景颜色1", "GradientColor1", rt::kPropertyColour},
    {"渐变背景颜色2", "GradientColor2", rt::kPropertyColour},
    {"渐变背景颜色3", "GradientColor3", rt::kPropertyColour},
    {"横向对齐方式", "HAlign", rt::kPropertyPick},
    {"是否自动折行", "WordWrap", rt::kPropertyBool},
    {"纵向对齐方式", "VAlign", rt::kPropertyPick},
    {"数据源", "DataSource", rt::kPropertyDataLink},
    {"数据列", "DataColumn", rt::kPropertyDataLink},
};

constexpr int kGradientBorder = 6;
constexpr int kMinimumRunTimeBorderWidth = 5;
constexpr int kGradientTile = 50;

HBRUSH DcBrush(HDC dc, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

// A 32-bit top-down bitmap for one gradient tile.
struct TileBitmap {
    components::ScopedGdiObject<HBITMAP> bitmap;
    uint32_t* pixels = nullptr;
    TileBitmap() {
        uint8_t* bits = nullptr;
        bitmap.Reset(components::CreateTopDownBitmap(kGradientTile, kGradientTile, &bits));
        pixels = reinterpret_cast<uint32_t*>(bits);
    }
};

uint32_t DibPixel(uint32_t colour) {  // 0x00BBGGRR to the DIB's 0x00RRGGBB
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

}  // namespace

rt::ComponentObject* Label::Create(const rt::CreateParameters& p) {
    LabelData data;
    if (data.Read(p.data, p.length) != rt::ReadStatus::kOk) return nullptr;
    if (!EnsureComponentClass(kLabelClass, &StandardControl::ClassProcedure, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS))
        return nullptr;
    auto label = new Label(p, std::move(data));
    DWORD exStyle, borderStyle;
    BorderStyles(label->data_.border, &exStyle, &borderStyle);
    if (!label->CreateOwnClassWindow(kLabelClass, exStyle, p.style | borderStyle, p.x, p.y, p.cx, p.cy)) {
        delete label;
        return nullptr;
    }
    label->ApplyFont(label->data_.font);
    label->ShowCaptionAsWindowText();
    return label;
}

LRESULT Label::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(window_, &client);
        PaintInto(reinterpret_cast<HDC>(wParam), client, client);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // painted with the rest
    default: break;
    }
    return StandardControl::HandleMessage(message, wParam, lParam);
}

void Label::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT clip;
    if (GetClipBox(dc, &clip) != NULLREGION && !IsRectEmpty(&clip)) {
        RECT client;
        GetClientRect(window_, &client);
        // Drawn off screen first: the effects draw the text twice.
        ScopedMemoryDc memory(CreateCompatibleDC(dc));
        ScopedGdiObject<HBITMAP> bitmap(
            memory ? CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1))
                   : nullptr);
        if (bitmap) {
            HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
            PaintInto(memory.Get(), client, clip);
            BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, memory.Get(), clip.left,
                   clip.top, SRCCOPY);
            SelectObject(memory.Get(), old);
        } else {
            PaintInto(dc, client, clip);
        }
    }
    EndPaint(window_, &paint);
}

void Label::PaintInto(HDC dc, const RECT& client, const RECT& clip) {
    RECT inner = client;
    GradientStops frame;
    if (data_.border == kGradientBorder && data_.BorderWidth > 0 &&
        MakeGradientStops(data_.BorderColor1, data_.BorderColor2, data_.BorderColor3, &frame)) {
        PaintFrame(dc, client, frame);
        InflateRect(&inner, -data_.BorderWidth, -data_.BorderWidth);
        if (inner.right < inner.left || inner.bottom < inner.top) return;  // all frame
    }
    RECT area;
    if (IntersectRect(&area, &inner, &clip)) {
        ScopedGdiObject<HRGN> rest(CreateRectRgnIndirect(&area));
        int saved = SaveDC(dc);
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        GradientStops gradient;
        bool pictured = PaintPicture(dc, inner, area, rest.Get());
        if (!pictured && data_.GradientStyle >= 1 &&
            MakeGradientStops(data_.GradientColor1, data_.GradientColor2, data_.GradientColor3, &gradient)) {
            PaintGradient(dc, inner, area, gradient);
            SetRectRgn(rest.Get(), 0, 0, 0, 0);
        }
        FillRgn(dc, rest.Get(), DcBrush(dc, BackColour()));
        RestoreDC(dc, saved);
    }
    PaintCaption(dc, inner);
}

// Rings of one pixel from the outer edge inwards, their colours running
// through the stops.
void Label::PaintFrame(HDC dc, const RECT& client, const GradientStops& stops) const {
    for (int ring = 0; ring < data_.BorderWidth; ++ring) {
        RECT edge = client;
        InflateRect(&edge, -ring, -ring);
        if (edge.right <= edge.left || edge.bottom <= edge.top) break;
        FrameRect(dc, &edge, DcBrush(dc, GradientFrameRing(stops, ring, data_.BorderWidth)));
    }
}

bool Label::PaintPicture(HDC dc, const RECT& area, const RECT& clip, HRGN rest) {
    if (!PictureReady()) return false;
    // A label has no stretched mode: anything but tiled and centred is natural size.
    int mode = data_.PictureMode == pictures::kBackgroundTiled || data_.PictureMode == pictures::kBackgroundCentred
                   ? data_.PictureMode
                   : pictures::kBackgroundTopLeft;
    PlaceBackgroundPicture(dc, picture_, mode, area, clip, rest, BackColour());
    return true;
}

// Computed per pixel of the whole area and drawn in tiles of at most 50 × 50.
void Label::PaintGradient(HDC dc, const RECT& area, const RECT& clip, const GradientStops& stops) const {
    TileBitmap tile;
    ScopedMemoryDc tileDc(tile.bitmap ? CreateCompatibleDC(dc) : nullptr);
    if (!tileDc) return;
    HGDIOBJ old = SelectObject(tileDc.Get(), tile.bitmap.Get());
    int width = area.right - area.left, height = area.bottom - area.top;
    for (int top = 0; top < height; top += kGradientTile) {
        for (int left = 0; left < width; left += kGradientTile) {
            int tileWidth = std::min(kGradientTile, width - left), tileHeight = std::min(kGradientTile, height - top);
            RECT place{area.left + left, area.top + top, area.left + left + tileWidth, area.top + top + tileHeight};
            if (!Intersects(place, clip)) continue;
            for (int y = 0; y < tileHeight; ++y) {
                uint32_t* row = tile.pixels + y * kGradientTile;
                for (int x = 0; x < tileWidth; ++x)
                    row[x] = DibPixel(GradientPixel(data_.GradientStyle, stops, left + x, top + y, width, height));
            }
            GdiFlush();
            BitBlt(dc, place.left, place.top, tileWidth, tileHeight, tileDc.Get(), 0, 0, SRCCOPY);
        }
    }
    SelectObject(tileDc.Get(), old);
}

// The label paints its caption itself; its window text carries it too, so
// screen readers and other programs read what the label shows.
void Label::ShowCaptionAsWindowText() {
    SetWindowTextW(window_, rt::WideFromGbk(data_.caption).c_str());
}

void Label::PaintCaption(HDC dc, const RECT& area) const {
    if (data_.caption.empty()) return;
    HGDIOBJ oldFont = SelectObject(dc, Font());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawEffectText(dc, rt::WideFromGbk(data_.caption), area, TextLayoutFlags(data_.HAlign, data_.VAlign, data_.WordWrap),
                   ResolveColour(data_.TextColor, COLOR_BTNTEXT), data_.effect);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

// Decoded on first use; bytes that do not decode are dropped so that they
// are not tried again on every paint.
bool Label::PictureReady() {
    if (picture_.Ready()) return true;
    if (data_.BackPicture.empty() || pictureTried_) return false;
    pictureTried_ = true;
    if (!picture_.FlattenEncoded(data_.BackPicture.data(), data_.BackPicture.size(), BackColour())) {
        data_.BackPicture.clear();
        return false;
    }
    return true;
}

COLORREF Label::BackColour() const { return ResolveColour(data_.BackColor, COLOR_BTNFACE); }

int Label::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return 0;
    if (!ChangeStoredProperty(data_, kProperties[ownIndex].englishName, value)) return 0;
    switch (ownIndex) {
    case kCaption: ShowCaptionAsWindowText(); break;
    case kBorder: ApplyBorder(window_, data_.border); break;
    case kBorderWidth: data_.BorderWidth = std::max(data_.BorderWidth, kMinimumRunTimeBorderWidth); break;
    case kFont: ApplyFont(data_.font); break;
    case kBackPicture:
    case kBackColor:  // translucent pixels were blended against the old colour
        picture_.Release();
        pictureTried_ = false;
        break;
    default: break;
    }
    InvalidateRect(window_, nullptr, FALSE);
    return 0;
}

bool Label::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return false;
    return GetStoredProperty(data_, kProperties[ownIndex].englishName, value);
}

std::vector<uint8_t> Label::AllData() const {
    LabelData data = data_;
    data.version = LabelData::kMaxVersion;
    return data.Write();
}

rt::PropertyList Label::Properties() { return {kProperties, kPropertyCount}; }

void* LabelTypeInterface(int request) { return TypeInterfaceFor<Label>(request); }

}  // namespace components
