#include "components/picture_box/picture_box_win32.h"

#include <algorithm>
#include <utility>

#include "components/common/component_types_win32.h"
#include "components/common/component_window_class_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/scoped_gdi_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/pictures/picture_decoder.h"
#include "components/pictures/picture_placement.h"
#include "components/properties/stored_property_access.h"

namespace components {
namespace {

const rt::PropertyDescriptor kProperties[kPictureBoxPropertyCount] = {
    {"边框", "border", rt::kPropertyPick},
    {"背景颜色", "BackColor", rt::kPropertyColour},
    {"图片", "picture", rt::kPropertyPicture},
    {"图片显示方式", "PictureMode", rt::kPropertyPick},
    {"播放动画", "PlayAnimation", rt::kPropertyBool},
    {"数据源", "DataSource", rt::kPropertyDataLink},
    {"数据列", "DataColumn", rt::kPropertyDataLink},
};

// Off-screen drawing for one paint: nothing on screen shows a half-drawn box.
class OffScreen {
public:
    OffScreen(HDC target, int width, int height) : dc_(CreateCompatibleDC(target)) {
        if (dc_) bitmap_.Reset(CreateCompatibleBitmap(target, width, height));
        if (bitmap_) old_ = SelectObject(dc_.Get(), bitmap_.Get());
    }
    ~OffScreen() {
        if (bitmap_) SelectObject(dc_.Get(), old_);  // before the members free both
    }
    HDC Get() const { return bitmap_ ? dc_.Get() : nullptr; }

private:
    ScopedMemoryDc dc_;
    ScopedGdiObject<HBITMAP> bitmap_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

PictureBox::PictureBox(const rt::CreateParameters& parameters, PictureBoxData data)
    : StandardControl(parameters), data_(std::move(data)) {
    backColour_ = BackColour();
    pictureMode_ = data_.PictureMode;
}

PictureBox::~PictureBox() { animation_.Stop(); }

rt::ComponentObject* PictureBox::Create(const rt::CreateParameters& p) {
    PictureBoxData data;
    if (data.Read(p.data, p.length) != rt::ReadStatus::kOk) return nullptr;
    if (!EnsureComponentClass(kPictureBoxClass, &StandardControl::ClassProcedure,
                              CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS))
        return nullptr;
    auto box = new PictureBox(p, std::move(data));
    box->DecodePicture();
    DWORD exStyle, borderStyle;
    BorderStyles(box->data_.border, &exStyle, &borderStyle);
    // Its children paint over its picture.
    if (!box->CreateOwnClassWindow(kPictureBoxClass, exStyle, p.style | borderStyle | WS_CLIPCHILDREN, p.x, p.y,
                                   p.cx, p.cy)) {
        delete box;
        return nullptr;
    }
    return box;
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_PRINTCLIENT: {
        std::lock_guard<std::mutex> busy(busy_);
        Compose(reinterpret_cast<HDC>(wParam), frame_.Ready() ? &frame_ : StillPicture());
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // painted with the picture, so it does not flicker
    case WM_DESTROY: StopAnimation(); break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        // The controls inside the box report to it, as they would to a form window.
        LRESULT result = 0;
        if (ReflectToControl(window_, message, wParam, lParam, &result)) return result;
        break;
    }
    default: break;
    }
    return StandardControl::HandleMessage(message, wParam, lParam);
}

void PictureBox::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    {
        std::lock_guard<std::mutex> busy(busy_);
        Compose(dc, frame_.Ready() ? &frame_ : StillPicture());
    }
    EndPaint(window_, &paint);
    StartAnimationIfDue();
}

void PictureBox::Compose(HDC dc, const PreparedPicture* picture) {
    RECT client;
    GetClientRect(window_, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    OffScreen offScreen(dc, client.right, client.bottom);
    HDC target = offScreen.Get() ? offScreen.Get() : dc;
    FillRect(target, &client, background_.Get(backColour_));
    if (picture && picture->Ready()) {
        pictures::PicturePlacement place = pictures::PlaceForPictureMode(
            pictureMode_, client.right, client.bottom, picture->Width(), picture->Height());
        picture->Draw(target, place.x, place.y, place.width, place.height);
    }
    if (target != dc) BitBlt(dc, 0, 0, client.right, client.bottom, target, 0, 0, SRCCOPY);
}

// Made for the window's device on first use; a picture the system refuses is
// not tried again until the picture or the colour changes. An animation shows
// its first frame as it plays it, so starting and stopping it changes nothing.
const PreparedPicture* PictureBox::StillPicture() {
    if (still_.Ready()) return &still_;
    if (stillFailed_ || picture_.Empty()) return nullptr;
    HDC dc = GetDC(window_);
    stillFailed_ = picture_.Animated() ? !PrepareFirstFrame(dc, *picture_.animation, backColour_, still_)
                                       : !still_.Prepare(dc, picture_, backColour_);
    if (dc) ReleaseDC(window_, dc);
    return stillFailed_ ? nullptr : &still_;
}

// Damaged or unknown bytes leave the box without a picture: it shows its background.
void PictureBox::DecodePicture() {
    picture_.Clear();
    if (!data_.picture.empty())
        pictures::DecodePicture(data_.picture.data(), static_cast<int64_t>(data_.picture.size()), picture_);
}

bool PictureBox::ShouldAnimate() const { return data_.PlayAnimation && picture_.Animated(); }

void PictureBox::StartAnimationIfDue() {
    if (ShouldAnimate() && !animation_.Running()) animation_.Start(window_, *picture_.animation, *this);
}

// The thread may be waiting for busy_ to show a frame, so it is not held here.
void PictureBox::StopAnimation() {
    animation_.Stop();
    std::lock_guard<std::mutex> busy(busy_);
    frame_.Release();
}

void PictureBox::PresentFrame(PreparedPicture frame) {
    std::lock_guard<std::mutex> busy(busy_);
    frame_ = std::move(frame);
    if (HDC dc = GetDC(window_)) {
        Compose(dc, &frame_);
        ReleaseDC(window_, dc);
    }
}

void PictureBox::Repaint() { InvalidateRect(window_, nullptr, FALSE); }

COLORREF PictureBox::BackColour() const { return ResolveColour(data_.BackColor, COLOR_BTNFACE); }

int PictureBox::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex < 0 || ownIndex >= kPictureBoxPropertyCount) return 0;
    const char* name = kProperties[ownIndex].englishName;
    rt::PropertyValue before, after;
    GetStoredProperty(data_, name, &before);
    SetStoredProperty(data_, name, value);
    GetStoredProperty(data_, name, &after);
    // The lucky draw sets borders every few milliseconds, mostly to what they already are.
    if (after.integer == before.integer && after.bytes == before.bytes) return 0;
    if (ownIndex == kPictureBoxPicture) StopAnimation();  // the thread reads the old picture's frames
    {
        std::lock_guard<std::mutex> busy(busy_);
        switch (ownIndex) {
        case kPictureBoxPicture:
        case kPictureBoxBackColor:  // translucent pixels were blended against the old colour
            still_.Release();
            stillFailed_ = false;
            backColour_ = BackColour();
            if (ownIndex == kPictureBoxPicture) DecodePicture();
            break;
        case kPictureBoxPictureMode: pictureMode_ = data_.PictureMode; break;
        default: break;
        }
    }
    switch (ownIndex) {
    case kPictureBoxBorder: ApplyBorder(window_, data_.border); break;
    case kPictureBoxPlayAnimation:
        if (!data_.PlayAnimation) StopAnimation();
        break;  // started again by the next paint
    case kPictureBoxDataSource:
    case kPictureBoxDataColumn: return 0;
    default: break;
    }
    Repaint();
    return 0;
}

bool PictureBox::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex < 0 || ownIndex >= kPictureBoxPropertyCount) return false;
    return GetStoredProperty(data_, kProperties[ownIndex].englishName, value);
}

std::vector<uint8_t> PictureBox::AllData() const {
    PictureBoxData data = data_;
    data.version = PictureBoxData::kMaxVersion;
    return data.Write();
}

rt::PropertyList PictureBox::Properties() { return {kProperties, kPictureBoxPropertyCount}; }

void* PictureBoxTypeInterface(int request) { return TypeInterfaceFor<PictureBox>(request); }

}  // namespace components
