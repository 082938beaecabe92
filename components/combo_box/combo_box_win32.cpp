#include "components/combo_box/combo_box_win32.h"

#include <algorithm>
#include <climits>

#include "components/common/component_types_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/properties/stored_property_access.h"
#include "runtime/events.h"
#include "runtime/startup_trace.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

enum OwnProperty {
    kComboType, kContent, kMaxAllowLength, kSelStart, kSelLength, kSelText, kSorted, kItemHeightExtra, kTextColor,
    kBackColor, kFont, kCurSel, kItems, kItemData, kDataSource, kDataColumn, kHiddenFlag, kPropertyCount
};

const rt::PropertyDescriptor kProperties[kPropertyCount] = {
    {"类型", "ComboType", rt::kPropertyPick},
    {"内容", "content", rt::kPropertyText},
    {"最大文本长度", "MaxAllowLength", rt::kPropertyInteger},
    {"起始选择位置", "SelStart", rt::kPropertyInteger},
    {"被选择字符数", "SelLength", rt::kPropertyInteger},
    {"被选择文本", "SelText", rt::kPropertyText},
    {"自动排序", "sorted", rt::kPropertyBool},
    {"行间距", "ItemHeightExtra", rt::kPropertyInteger},
    {"文本颜色", "TextColor", rt::kPropertyColour},
    {"背景颜色", "BackColor", rt::kPropertyColour},
    {"字体", "font", rt::kPropertyFont},
    {"现行选中项", "CurSel", rt::kPropertyInteger},
    {"列表项目", "items", rt::kPropertyTextList},
    {"项目数值", "ItemData", rt::kPropertyIntegerList},
    {"数据源", "DataSource", rt::kPropertyDataLink},
    {"数据列", "DataColumn", rt::kPropertyDataLink},
    {"隐藏标志", "hiddenFlag", rt::kPropertyBool},
};

constexpr int kDropDownList = 2;
constexpr int kMinimumDroppedHeight = 160;

DWORD TypeStyle(int comboType) {
    switch (comboType) {
    case 0: return CBS_SIMPLE;
    case kDropDownList: return CBS_DROPDOWNLIST;
    default: return CBS_DROPDOWN;
    }
}

// Program positions are 16-bit words in CB_SETEDITSEL.
LPARAM EditRange(int start, int end) {
    return MAKELPARAM(static_cast<WORD>(std::min(start, 0xFFFF)), static_cast<WORD>(std::min(end, 0xFFFF)));
}

}  // namespace

ComboBox::ComboBox(const rt::CreateParameters& parameters, ComboBoxData data)
    : StandardControl(parameters), data_(std::move(data)) {
    raiseFocusFromMessages_ = false;  // the edit field takes the focus; the notifications tell
}

rt::ComponentObject* ComboBox::Create(const rt::CreateParameters& parameters) {
    ComboBoxData data;
    if (data.Read(parameters.data, parameters.length) != rt::ReadStatus::kOk) return nullptr;
    auto box = new ComboBox(parameters, std::move(data));
    if (!box->Build(parameters)) {
        delete box;
        return nullptr;
    }
    return box;
}

bool ComboBox::Build(const rt::CreateParameters& p) {
    DWORD style = p.style | CBS_AUTOHSCROLL | WS_VSCROLL | TypeStyle(data_.ComboType) | (data_.sorted ? CBS_SORT : 0);
    // The height of a drop-down type includes its list.
    int height = data_.ComboType == 0 ? p.cy : std::max(p.cy, kMinimumDroppedHeight);
    trace::Span creating("ComboBox: system control");
    if (!CreateSystemControl(L"COMBOBOX", 0, style, "", p.x, p.y, p.cx, height)) return false;
    creating.Close();
    trace::Span font("ComboBox: font");
    ApplyFontAndItemHeight();
    font.Close();
    SendMessageW(window_, CB_LIMITTEXT, static_cast<WPARAM>(std::max(data_.MaxAllowLength, 0)), 0);
    trace::Span items("ComboBox: items and text");
    AddItems(data_.items, data_.ItemData);
    SelectItem(data_.CurSel);
    if (HasEditField()) {
        SetText(data_.content);
        SelectEdit(data_.SelStart, data_.SelLength);
    }
    return true;
}

bool ComboBox::HasEditField() const { return data_.ComboType != kDropDownList; }

void ComboBox::ApplyFontAndItemHeight() {
    ApplyFont(data_.font);
    // The default height is the one the font gives.
    auto height = static_cast<int>(SendMessageW(window_, CB_GETITEMHEIGHT, 0, 0));
    if (height > 0 && data_.ItemHeightExtra != 0 && height + data_.ItemHeightExtra > 0)
        SendMessageW(window_, CB_SETITEMHEIGHT, 0, height + data_.ItemHeightExtra);
}

LRESULT ComboBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kReflectedMessageBase + WM_COMMAND: return OnCommand(wParam);
    case kReflectedMessageBase + WM_CTLCOLOREDIT:
    case kReflectedMessageBase + WM_CTLCOLORLISTBOX:
    case kReflectedMessageBase + WM_CTLCOLORSTATIC: return OnColour(reinterpret_cast<HDC>(wParam));
    case kSelectionMadeMessage: Raise(rt::kComboBoxSelectionMade); return 0;
    case WM_SETFOCUS: {
        HWND window = window_;
        LRESULT result = StandardControl::HandleMessage(message, wParam, lParam);
        if (IsWindow(window)) KeepTextStartInView();
        return result;
    }
    default: break;
    }
    return StandardControl::HandleMessage(message, wParam, lParam);
}

LRESULT ComboBox::OnCommand(WPARAM wParam) {
    switch (HIWORD(wParam)) {
    case CBN_SELENDOK:
        if (programChanges_ == 0) PostMessageW(window_, kSelectionMadeMessage, 0, 0);
        break;
    case CBN_EDITCHANGE: Raise(rt::kComboBoxEditChanged); break;
    case CBN_DROPDOWN: Raise(rt::kComboBoxDroppingDown); break;
    case CBN_CLOSEUP: Raise(rt::kComboBoxClosedUp); break;
    case CBN_DBLCLK: Raise(rt::kComboBoxDoubleClicked); break;
    case CBN_SETFOCUS: Raise(rt::kEventGotFocus); break;
    case CBN_KILLFOCUS: Raise(rt::kEventLostFocus); break;
    default: break;
    }
    return 0;
}

LRESULT ComboBox::OnColour(HDC dc) {
    SetTextColor(dc, ResolveColour(data_.TextColor, COLOR_WINDOWTEXT));
    COLORREF back = ResolveColour(data_.BackColor, COLOR_BTNFACE);
    SetBkColor(dc, back);
    return reinterpret_cast<LRESULT>(background_.Get(back));
}

// Each value goes with the item at the same position of the list as given,
// wherever sorting puts it; items beyond the values get none.
void ComboBox::AddItems(const std::vector<std::string>& items, const std::vector<uint32_t>& values) {
    ++programChanges_;
    for (size_t i = 0; i < items.size(); ++i) {
        LRESULT index = SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rt::WideFromGbk(items[i]).c_str()));
        if (index >= 0 && i < values.size()) SendMessageW(window_, CB_SETITEMDATA, static_cast<WPARAM>(index), values[i]);
    }
    --programChanges_;
}

// The values and the selection stay with the positions; the edit field keeps its text.
void ComboBox::ReplaceItems(const std::vector<std::string>& items) {
    std::vector<uint32_t> values = ItemValues();
    int selected = SelectedItem();
    std::string text = HasEditField() ? Text() : std::string();
    ++programChanges_;
    SendMessageW(window_, CB_RESETCONTENT, 0, 0);
    AddItems(items, values);
    SelectItem(selected);
    if (HasEditField()) SetText(text);
    --programChanges_;
}

void ComboBox::SetItemValues(const std::vector<uint32_t>& values) {
    auto count = static_cast<size_t>(std::max<LRESULT>(SendMessageW(window_, CB_GETCOUNT, 0, 0), 0));
    for (size_t i = 0; i < count; ++i)
        SendMessageW(window_, CB_SETITEMDATA, i, i < values.size() ? values[i] : 0);
}

void ComboBox::SelectItem(int index) {
    auto count = static_cast<int>(std::max<LRESULT>(SendMessageW(window_, CB_GETCOUNT, 0, 0), 0));
    index = std::clamp(index, -1, count - 1);
    ++programChanges_;
    SendMessageW(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    --programChanges_;
}

int ComboBox::SelectedItem() const {
    LRESULT index = SendMessageW(window_, CB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : static_cast<int>(index);
}

std::vector<std::string> ComboBox::Items() const {
    std::vector<std::string> items;
    LRESULT count = SendMessageW(window_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(window_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        LRESULT copied = SendMessageW(window_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
        items.push_back(rt::GbkFromWide(text));
    }
    return items;
}

std::vector<uint32_t> ComboBox::ItemValues() const {
    std::vector<uint32_t> values;
    LRESULT count = SendMessageW(window_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        values.push_back(static_cast<uint32_t>(SendMessageW(window_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    return values;
}

ByteSelection ComboBox::EditSelection() const {
    if (!HasEditField()) return {};
    DWORD start = 0, end = 0;
    SendMessageW(window_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return SelectionInBytes(WideWindowText(window_), static_cast<int>(start), static_cast<int>(end));
}

std::string ComboBox::SelectedEditText() const {
    if (!HasEditField()) return std::string();
    DWORD start = 0, end = 0;
    SendMessageW(window_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::wstring text = WideWindowText(window_);
    size_t from = std::min<size_t>(start, text.size()), to = std::min<size_t>(end, text.size());
    return rt::GbkFromWide(std::wstring_view(text).substr(from, to > from ? to - from : 0));
}

void ComboBox::SelectEdit(int start, int length) {
    if (!HasEditField()) return;
    if (start < 0) {
        SendMessageW(window_, CB_SETEDITSEL, 0, MAKELPARAM(0xFFFF, 0));  // no selection
        return;
    }
    std::wstring text = WideWindowText(window_);
    long long end = std::clamp<long long>(static_cast<long long>(start) + length, 0, INT_MAX);
    SendMessageW(window_, CB_SETEDITSEL, 0,
                 EditRange(CharIndexOfByte(text, start), CharIndexOfByte(text, static_cast<int>(end))));
}

// The first focus the combo itself takes selects the whole text with the caret
// at its end, and the edit field scrolls that caret into view: a text a pixel
// wider than the field would lose its first character. The same selection
// with the caret at its start keeps the text's start in view.
void ComboBox::KeepTextStartInView() {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!HasEditField() || !GetComboBoxInfo(window_, &info) || !info.hwndItem) return;
    DWORD start = 0, end = 0;
    SendMessageW(info.hwndItem, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    auto length = static_cast<DWORD>(std::max(GetWindowTextLengthW(info.hwndItem), 0));
    if (start == 0 && end == length && length > 0) SendMessageW(info.hwndItem, EM_SETSEL, end, 0);
}

int ComboBox::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return 0;
    switch (ownIndex) {
    case kContent:
        if (HasEditField()) SetText(value.bytes);
        return 0;
    case kSelStart: SelectEdit(value.integer, 0); return 0;
    case kSelLength: SelectEdit(EditSelection().start, value.integer); return 0;
    case kSelText: {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (HasEditField() && GetComboBoxInfo(window_, &info) && info.hwndItem)
            SendMessageW(info.hwndItem, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(rt::WideFromGbk(value.bytes).c_str()));
        return 0;
    }
    case kCurSel: SelectItem(value.integer); return 0;
    case kItems: ReplaceItems(value.items); return 0;
    case kItemData:
        SetItemValues(std::vector<uint32_t>(value.integers.begin(), value.integers.end()));
        return 0;
    default: break;
    }
    const ComboBoxData before = data_;
    SetStoredProperty(data_, kProperties[ownIndex].englishName, value);
    switch (ownIndex) {
    // Window styles fixed at creation.
    case kComboType: return data_.ComboType != before.ComboType ? 1 : 0;
    case kSorted: return data_.sorted != before.sorted ? 1 : 0;
    case kMaxAllowLength:
        SendMessageW(window_, CB_LIMITTEXT, static_cast<WPARAM>(std::max(data_.MaxAllowLength, 0)), 0);
        return 0;
    case kItemHeightExtra: {
        auto current = static_cast<int>(SendMessageW(window_, CB_GETITEMHEIGHT, 0, 0));
        int height = current - before.ItemHeightExtra + data_.ItemHeightExtra;
        if (current > 0 && height > 0) SendMessageW(window_, CB_SETITEMHEIGHT, 0, height);
        return 0;
    }
    case kTextColor:
    case kBackColor: RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN); return 0;
    case kFont: ApplyFontAndItemHeight(); return 0;
    default: return 0;
    }
}

bool ComboBox::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return false;
    switch (ownIndex) {
    case kContent: value->bytes = Text(); return true;
    case kSelStart: value->integer = EditSelection().start; return true;
    case kSelLength: value->integer = EditSelection().length; return true;
    case kSelText: value->bytes = SelectedEditText(); return true;
    case kCurSel: value->integer = SelectedItem(); return true;
    case kItems: value->items = Items(); return true;
    case kItemData: {
        std::vector<uint32_t> values = ItemValues();
        value->integers.assign(values.begin(), values.end());
        return true;
    }
    default: return GetStoredProperty(data_, kProperties[ownIndex].englishName, value);
    }
}

std::vector<uint8_t> ComboBox::AllData() const {
    ComboBoxData data = data_;
    data.version = ComboBoxData::kMaxVersion;
    if (HasEditField()) {
        data.content = Text();
        ByteSelection selection = EditSelection();
        data.SelStart = selection.start;
        data.SelLength = selection.length;
    }
    data.items = Items();
    data.ItemData = ItemValues();
    data.CurSel = SelectedItem();
    return data.Write();
}

rt::PropertyList ComboBox::Properties() { return {kProperties, kPropertyCount}; }

void* ComboBoxTypeInterface(int request) { return TypeInterfaceFor<ComboBox>(request); }

}  // namespace components
