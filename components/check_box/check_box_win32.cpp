#include "components/check_box/check_box_win32.h"

#include "components/common/component_types_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/properties/stored_property_access.h"
#include "runtime/events.h"

namespace components {
namespace {

enum OwnProperty {
    kPicture, kPushLike, kFlat, kCaption, kTextOnLeft, kHAlign, kVAlign, kTextColor, kBackColor, kFont, kChecked,
    kDataSource, kDataColumn, kPropertyCount
};

const rt::PropertyDescriptor kProperties[kPropertyCount] = {
    {"图片", "picture", rt::kPropertyPicture},
    {"按钮形式", "PushLike", rt::kPropertyBool},
    {"平面", "flat", rt::kPropertyBool},
    {"标题", "caption", rt::kPropertyText},
    {"标题居左", "TextOnLeft", rt::kPropertyBool},
    {"横向对齐方式", "HAlign", rt::kPropertyPick},
    {"纵向对齐方式", "VAlign", rt::kPropertyPick},
    {"文本颜色", "TextColor", rt::kPropertyColour},
    {"背景颜色", "BackColor", rt::kPropertyColour},
    {"字体", "font", rt::kPropertyFont},
    {"选中", "Checked", rt::kPropertyBool},
    {"数据源", "DataSource", rt::kPropertyDataLink},
    {"数据列", "DataColumn", rt::kPropertyDataLink},
};

}  // namespace

rt::ComponentObject* CheckBox::Create(const rt::CreateParameters& p) {
    CheckBoxData data;
    if (data.Read(p.data, p.length) != rt::ReadStatus::kOk) return nullptr;
    auto box = new CheckBox(p, std::move(data));
    const CheckBoxData& d = box->data_;
    box->picture_.Load(d.picture, ResolveColour(d.BackColor, COLOR_BTNFACE));  // an undecodable picture is ignored
    DWORD style = p.style | BS_AUTOCHECKBOX | BS_MULTILINE | ButtonAlignmentStyle(d.HAlign, d.VAlign) |
                  (d.PushLike ? BS_PUSHLIKE : 0) | (d.flat ? BS_FLAT : 0) | (d.TextOnLeft ? BS_LEFTTEXT : 0) |
                  box->picture_.Style();
    if (!box->CreateSystemControl(L"BUTTON", 0, style, d.caption, p.x, p.y, p.cx, p.cy)) {
        delete box;
        return nullptr;
    }
    box->ApplyFont(d.font);
    box->picture_.ShowOn(box->window_);
    SendMessageW(box->window_, BM_SETCHECK, d.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return box;
}

LRESULT CheckBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kReflectedMessageBase + WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) Raise(rt::kCheckBoxClicked);
        return 0;
    case kReflectedMessageBase + WM_CTLCOLORSTATIC:
    case kReflectedMessageBase + WM_CTLCOLORBTN: return OnColour(reinterpret_cast<HDC>(wParam));
    default: break;
    }
    return StandardControl::HandleMessage(message, wParam, lParam);
}

LRESULT CheckBox::OnColour(HDC dc) {
    SetTextColor(dc, ResolveColour(data_.TextColor, COLOR_BTNTEXT));
    COLORREF back = ResolveColour(data_.BackColor, COLOR_BTNFACE);
    SetBkColor(dc, back);
    return reinterpret_cast<LRESULT>(background_.Get(back));
}

bool CheckBox::Checked() const { return SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int CheckBox::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return 0;
    switch (ownIndex) {
    case kCaption: SetText(value.bytes); return 0;
    case kChecked: SendMessageW(window_, BM_SETCHECK, value.integer ? BST_CHECKED : BST_UNCHECKED, 0); return 0;
    default: break;
    }
    const CheckBoxData before = data_;
    SetStoredProperty(data_, kProperties[ownIndex].englishName, value);
    switch (ownIndex) {
    case kPicture: return 1;
    // Button styles fixed at creation.
    case kPushLike: return data_.PushLike != before.PushLike ? 1 : 0;
    case kFlat: return data_.flat != before.flat ? 1 : 0;
    case kTextOnLeft: return data_.TextOnLeft != before.TextOnLeft ? 1 : 0;
    case kHAlign:
    case kVAlign: SetButtonAlignment(window_, data_.HAlign, data_.VAlign); return 0;
    case kBackColor:
        // A picture's translucent pixels were blended against the old colour.
        if (!data_.picture.empty()) return 1;
        InvalidateRect(window_, nullptr, TRUE);
        return 0;
    case kTextColor: InvalidateRect(window_, nullptr, TRUE); return 0;
    case kFont: ApplyFont(data_.font); return 0;
    default: return 0;
    }
}

bool CheckBox::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return false;
    switch (ownIndex) {
    case kCaption: value->bytes = Text(); return true;
    case kChecked: value->integer = Checked() ? 1 : 0; return true;
    default: return GetStoredProperty(data_, kProperties[ownIndex].englishName, value);
    }
}

std::vector<uint8_t> CheckBox::AllData() const {
    CheckBoxData data = data_;
    data.version = CheckBoxData::kMaxVersion;
    data.caption = Text();
    data.Checked = Checked();
    return data.Write();
}

rt::PropertyList CheckBox::Properties() { return {kProperties, kPropertyCount}; }

void* CheckBoxTypeInterface(int request) { return TypeInterfaceFor<CheckBox>(request); }

}  // namespace components
