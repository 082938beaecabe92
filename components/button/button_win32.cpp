#include "components/button/button_win32.h"

#include "components/common/component_types_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/properties/stored_property_access.h"
#include "runtime/events.h"

namespace components {
namespace {

enum OwnProperty { kPicture, kButtonType, kCaption, kHAlign, kVAlign, kFont, kPropertyCount };

const rt::PropertyDescriptor kProperties[kPropertyCount] = {
    {"图片", "picture", rt::kPropertyPicture},
    {"类型", "ButtonType", rt::kPropertyPick},
    {"标题", "caption", rt::kPropertyText},
    {"横向对齐方式", "HAlign", rt::kPropertyPick},
    {"纵向对齐方式", "VAlign", rt::kPropertyPick},
    {"字体", "font", rt::kPropertyFont},
};

constexpr int kDefaultButton = 1;
constexpr DWORD kTypeBits = 0x0F;

DWORD TypeStyle(int buttonType) { return buttonType == kDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }

}  // namespace

rt::ComponentObject* Button::Create(const rt::CreateParameters& p) {
    ButtonData data;
    if (data.Read(p.data, p.length) != rt::ReadStatus::kOk) return nullptr;
    auto button = new Button(p, std::move(data));
    button->picture_.Load(button->data_.picture, GetSysColor(COLOR_BTNFACE));  // an undecodable picture is ignored
    DWORD style = p.style | BS_MULTILINE | TypeStyle(button->data_.ButtonType) |
                  ButtonAlignmentStyle(button->data_.HAlign, button->data_.VAlign) | button->picture_.Style();
    if (!button->CreateSystemControl(L"BUTTON", 0, style, button->data_.caption, p.x, p.y, p.cx, p.cy)) {
        delete button;
        return nullptr;
    }
    button->ApplyFont(button->data_.font);
    button->picture_.ShowOn(button->window_);
    return button;
}

LRESULT Button::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kReflectedMessageBase + WM_COMMAND) {
        if (HIWORD(wParam) == BN_CLICKED) Raise(rt::kButtonClicked);
        return 0;
    }
    return StandardControl::HandleMessage(message, wParam, lParam);
}

int Button::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return 0;
    if (ownIndex == kCaption) {
        SetText(value.bytes);
        return 0;
    }
    SetStoredProperty(data_, kProperties[ownIndex].englishName, value);
    switch (ownIndex) {
    case kPicture: return 1;  // icon or bitmap style is fixed at creation
    case kButtonType: {
        auto style = static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
        SendMessageW(window_, BM_SETSTYLE, (style & ~kTypeBits) | TypeStyle(data_.ButtonType), TRUE);
        return 0;
    }
    case kHAlign:
    case kVAlign: SetButtonAlignment(window_, data_.HAlign, data_.VAlign); return 0;
    case kFont: ApplyFont(data_.font); return 0;
    default: return 0;
    }
}

bool Button::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return false;
    if (ownIndex == kCaption) {
        value->bytes = Text();
        return true;
    }
    return GetStoredProperty(data_, kProperties[ownIndex].englishName, value);
}

std::vector<uint8_t> Button::AllData() const {
    ButtonData data = data_;
    data.version = ButtonData::kMaxVersion;
    data.caption = Text();
    return data.Write();
}

rt::PropertyList Button::Properties() { return {kProperties, kPropertyCount}; }

void* ButtonTypeInterface(int request) { return TypeInterfaceFor<Button>(request); }

}  // namespace components
