#include "components/image_button/image_button_win32.h"

#include "components/common/component_types_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/properties/stored_property_access.h"
#include "components/sounds/button_sounds_win32.h"
#include "runtime/events.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

const rt::PropertyDescriptor kProperties[kImageButtonPropertyCount] = {
    {"按钮风格", "BtnStyle", rt::kPropertyPick},
    {"选择框方式", "CheckBox", rt::kPropertyBool},
    {"选中", "Checked", rt::kPropertyBool},
    {"对齐方式", "AlignStyle", rt::kPropertyPick},
    {"压入方式", "PressStyle", rt::kPropertyPick},
    {"绘制边框", "DrawBorder", rt::kPropertyBool},
    {"绘制焦点", "DrawFocus", rt::kPropertyBool},
    {"通常图片", "PicOut", rt::kPropertyPicture},
    {"通常图片透明色", "TransColorOut", rt::kPropertyColour},
    {"点燃图片", "PicIn", rt::kPropertyPicture},
    {"点燃图片透明色", "TransColorIn", rt::kPropertyColour},
    {"禁止图片", "PicDisabled", rt::kPropertyPicture},
    {"禁止图片透明色", "TransColorDisabled", rt::kPropertyColour},
    {"字体", "font", rt::kPropertyFont},
    {"标题", "caption", rt::kPropertyText},
    {"使用默认色", "DefaultColor", rt::kPropertyBool},
    {"通常前景色", "FgColorOut", rt::kPropertyColour},
    {"通常背景色", "BkColorOut", rt::kPropertyColour},
    {"点燃前景色", "FgColorIn", rt::kPropertyColour},
    {"点燃背景色", "BkColorIn", rt::kPropertyColour},
    {"焦点前景色", "FgColorFocus", rt::kPropertyColour},
    {"焦点背景色", "BkColorFocus", rt::kPropertyColour},
    {"标准音提示", "StandardSound", rt::kPropertyBool},
    {"经过提示音", "OverSound", rt::kPropertySound},
    {"单击提示音", "ClickSound", rt::kPropertySound},
    {"提示文本", "ToolTip", rt::kPropertyText},
    {"默认类型", "DefaultStyle", rt::kPropertyPick},
};

constexpr int kDefaultStyleDefault = 1;  // "默认": pressed by Enter
constexpr int kPressTopToBottom = 1;

bool IsMouseMessage(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return true;
    default: return false;
    }
}

}  // namespace

ImageButton::ImageButton(const rt::CreateParameters& parameters, ImageButtonData data)
    : StandardControl(parameters), data_(std::move(data)) {
    defaultButton_ = !data_.CheckBox && data_.DefaultStyle == kDefaultStyleDefault;
}

rt::ComponentObject* ImageButton::Create(const rt::CreateParameters& p) {
    ImageButtonData data;
    if (data.Read(p.data, p.length) != rt::ReadStatus::kOk) return nullptr;
    auto button = new ImageButton(p, std::move(data));
    button->BuildImages();  // an undecodable picture leaves its slot empty
    if (!button->CreateSystemControl(L"BUTTON", 0, p.style | BS_OWNERDRAW, button->data_.caption, p.x, p.y, p.cx,
                                     p.cy)) {
        delete button;
        return nullptr;
    }
    button->ApplyFont(button->data_.font);
    button->toolTip_.SetText(button->window_, button->data_.ToolTip);
    return button;
}

LRESULT ImageButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsMouseMessage(message)) toolTip_.Relay(window_, message, wParam, lParam);
    switch (message) {
    case kReflectedMessageBase + WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case kReflectedMessageBase + WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnClicked();  // the object may be gone now
        return 0;
    case WM_GETDLGCODE: return defaultButton_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
    case BM_SETSTYLE: return OnSetStyle(wParam, lParam);
    case BM_SETCHECK:
        data_.Checked = wParam == BST_CHECKED || wParam == BST_INDETERMINATE;
        Repaint();
        return 0;
    case BM_GETCHECK: return data_.Checked ? BST_CHECKED : BST_UNCHECKED;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button would only notify a double click: the second press counts as a click.
        return Default(WM_LBUTTONDOWN, wParam, lParam);
    case WM_MOUSEMOVE: OnMouseMove(wParam); break;
    case WM_MOUSELEAVE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE: LeaveHot(); break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) LeaveHot();
        break;
    case WM_ENABLE:
        if (!wParam) OnDisabled();
        break;
    case WM_DESTROY: toolTip_.Destroy(); break;
    default: break;
    }
    return StandardControl::HandleMessage(message, wParam, lParam);
}

void ImageButton::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_BUTTON) return;
    const RECT& target = item.rcItem;
    const int width = target.right - target.left, height = target.bottom - target.top;
    if (width <= 0 || height <= 0) return;
    ImageButtonLook look = Look();
    // Painted off screen first so that hovering does not flicker.
    ScopedMemoryDc memory(CreateCompatibleDC(item.hDC));
    ScopedGdiObject<HBITMAP> bitmap(memory ? CreateCompatibleBitmap(item.hDC, width, height) : nullptr);
    if (!bitmap) {
        PaintImageButton(item.hDC, target, item.itemState, look);
        return;
    }
    HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
    PaintImageButton(memory.Get(), RECT{0, 0, width, height}, item.itemState, look);
    BitBlt(item.hDC, target.left, target.top, width, height, memory.Get(), 0, 0, SRCCOPY);
    SelectObject(memory.Get(), old);
}

void ImageButton::OnClicked() {
    if (data_.StandardSound) PlayBuiltInClick();
    else PlayWaveData(data_.ClickSound);
    if (data_.CheckBox) {
        data_.Checked = !data_.Checked;
        Repaint();
    }
    Raise(rt::kImageButtonClicked);
}

void ImageButton::OnMouseMove(WPARAM wParam) {
    if (!TracksHot()) return;
    if ((wParam & MK_LBUTTON) && !hot_) return;  // a press that began elsewhere
    POINT cursor;
    if (!GetCursorPos(&cursor)) return;
    if (WindowFromPoint(cursor) != window_) {
        LeaveHot();
        return;
    }
    if (!hot_ && GetActiveWindow()) EnterHot();
}

void ImageButton::EnterHot() {
    hot_ = true;
    Repaint();
    if (data_.StandardSound) PlayBuiltInClick();
    else PlayWaveData(data_.OverSound);
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
    TrackMouseEvent(&track);
}

void ImageButton::LeaveHot() {
    if (!hot_) return;
    hot_ = false;
    Repaint();
}

void ImageButton::OnDisabled() {
    LeaveHot();
    // Disabling took the focus away from this button; it goes on to the next tab stop.
    HWND root = GetAncestor(window_, GA_ROOT);
    if (GetFocus() || GetActiveWindow() != root) return;
    HWND next = GetNextDlgTabItem(GetParent(window_), window_, FALSE);
    if (next && next != window_) SetFocus(next);
}

LRESULT ImageButton::OnSetStyle(WPARAM wParam, LPARAM lParam) {
    defaultButton_ = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    Default(BM_SETSTYLE, (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lParam);
    if (lParam) Repaint();
    return 0;
}

void ImageButton::Repaint() const { InvalidateRect(window_, nullptr, FALSE); }

ImageButtonColours ImageButton::Colours() const {
    if (data_.DefaultColor) {
        COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_BTNTEXT);
        return {text, face, text, face, text, face};
    }
    // A default caption colour is the system's button text, not the face it would vanish on.
    return {ResolveColour(data_.FgColorOut, COLOR_BTNTEXT),   ResolveColour(data_.BkColorOut, COLOR_BTNFACE),
            ResolveColour(data_.FgColorIn, COLOR_BTNTEXT),    ResolveColour(data_.BkColorIn, COLOR_BTNFACE),
            ResolveColour(data_.FgColorFocus, COLOR_BTNTEXT), ResolveColour(data_.BkColorFocus, COLOR_BTNFACE)};
}

ImageButtonLook ImageButton::Look() const {
    ImageButtonLook look;
    look.style = data_.BtnStyle;
    look.align = data_.AlignStyle;
    look.checkBoxMode = data_.CheckBox;
    look.checked = data_.Checked;
    look.defaultButton = defaultButton_;
    look.hot = hot_ && TracksHot();
    look.drawBorder = data_.DrawBorder;
    look.drawFocus = data_.DrawFocus;
    look.pressOffset = data_.PressStyle == kPressTopToBottom ? POINT{0, 2} : POINT{1, 1};
    look.colours = Colours();
    for (int slot = 0; slot < kSlotCount; ++slot) look.images[slot] = &images_[slot];
    look.caption = rt::WideFromGbk(data_.caption);
    look.font = Font();
    return look;
}

void ImageButton::BuildImages() {
    ImageButtonColours colours = Colours();
    // Translucent pixels settle on the background the picture is shown on.
    images_[kSlotHot].Build(data_.PicIn, data_.TransColorIn, colours.backIn);
    images_[kSlotNormal].Build(data_.PicOut, data_.TransColorOut, colours.backOut);
    images_[kSlotDisabled].Build(data_.PicDisabled, data_.TransColorDisabled, colours.backOut);
}

int ImageButton::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex < 0 || ownIndex >= kImageButtonPropertyCount) return 0;
    const bool checkBoxBefore = data_.CheckBox;
    const bool changed = ChangeStoredProperty(data_, kProperties[ownIndex].englishName, value);
    if (ownIndex == kImageButtonDefaultStyle) return 1;  // re-created even with the same value
    if (!changed) return 0;
    switch (ownIndex) {
    case kImageButtonCheckBox:
        if (data_.CheckBox != checkBoxBefore) return 1;
        break;
    case kImageButtonStandardSound:
    case kImageButtonOverSound:
    case kImageButtonClickSound: return 0;
    case kImageButtonToolTip: toolTip_.SetText(window_, data_.ToolTip); return 0;
    case kImageButtonStyle:
        if (!TracksHot()) hot_ = false;
        break;
    case kImageButtonCaption: SetText(data_.caption); break;
    case kImageButtonFont: ApplyFont(data_.font); break;
    case kImageButtonPicOut:
    case kImageButtonTransColorOut:
    case kImageButtonPicIn:
    case kImageButtonTransColorIn:
    case kImageButtonPicDisabled:
    case kImageButtonTransColorDisabled:
    case kImageButtonDefaultColor:
    case kImageButtonBkColorOut:
    case kImageButtonBkColorIn: BuildImages(); break;
    default: break;
    }
    Repaint();
    return 0;
}

bool ImageButton::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex < 0 || ownIndex >= kImageButtonPropertyCount) return false;
    return GetStoredProperty(data_, kProperties[ownIndex].englishName, value);
}

std::vector<uint8_t> ImageButton::AllData() const {
    ImageButtonData data = data_;
    data.version = ImageButtonData::kMaxVersion;
    return data.Write();
}

rt::PropertyList ImageButton::Properties() { return {kProperties, kImageButtonPropertyCount}; }

void* ImageButtonTypeInterface(int request) { return TypeInterfaceFor<ImageButton>(request); }

}  // namespace components
