#include "components/edit_box/edit_box_win32.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "components/common/component_types_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/edit_box/password_char.h"
#include "components/properties/stored_property_access.h"
#include "runtime/events.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

enum OwnProperty {
    kContent, kBorder, kTextColor, kBackColor, kFont, kHideSel, kMaxAllowLength, kAllowMultiLines, kScrollBars,
    kHAlign, kInputMode, kPasswordChar, kCaseConvert, kSpinMode, kSpinMin, kSpinMax, kSelStart, kSelLength,
    kSelText, kDataSource, kDataColumn, kPropertyCount
};

const rt::PropertyDescriptor kProperties[kPropertyCount] = {
    {"内容", "content", rt::kPropertyText},
    {"边框", "border", rt::kPropertyPick},
    {"文本颜色", "TextColor", rt::kPropertyColour},
    {"背景颜色", "BackColor", rt::kPropertyColour},
    {"字体", "font", rt::kPropertyFont},
    {"隐藏选择", "HideSel", rt::kPropertyBool},
    {"最大允许长度", "MaxAllowLength", rt::kPropertyInteger},
    {"是否允许多行", "AllowMultiLines", rt::kPropertyBool},
    {"滚动条", "ScrollBars", rt::kPropertyPick},
    {"对齐方式", "HAlign", rt::kPropertyPick},
    {"输入方式", "InputMode", rt::kPropertyPick},
    {"密码遮盖字符", "PasswordChar", rt::kPropertyText},
    {"转换方式", "CaseConvert", rt::kPropertyPick},
    {"调节器方式", "SpinMode", rt::kPropertyPick},
    {"调节器底限值", "SpinMin", rt::kPropertyInteger},
    {"调节器上限值", "SpinMax", rt::kPropertyInteger},
    {"起始选择位置", "SelStart", rt::kPropertyInteger},
    {"被选择字符数", "SelLength", rt::kPropertyInteger},
    {"被选择文本", "SelText", rt::kPropertyText},
    {"数据源", "DataSource", rt::kPropertyDataLink},
    {"数据列", "DataColumn", rt::kPropertyDataLink},
};

constexpr int kSpinIdOffset = 4;
constexpr int kReadOnlyMode = 1;
constexpr int kPasswordMode = 2;
constexpr int kAutomaticSpin = 1;

int SpinWidth() { return GetSystemMetrics(SM_CXVSCROLL); }

// The text as a number the way the spin reads it: leading blanks, a sign and
// digits; anything else ends it, and no digits is 0.
long long TextAsInteger(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

void EnsureSpinClass() {
    static bool done = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

}  // namespace

rt::ComponentObject* EditBox::Create(const rt::CreateParameters& parameters) {
    EditBoxData data;
    if (data.Read(parameters.data, parameters.length) != rt::ReadStatus::kOk) return nullptr;
    auto box = new EditBox(parameters, std::move(data));
    if (!box->Build(parameters)) {
        delete box;
        return nullptr;
    }
    return box;
}

DWORD EditBox::Style() const {
    DWORD style = 0;
    if (!data_.HideSel) style |= ES_NOHIDESEL;
    if (data_.AllowMultiLines) {
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
        if (data_.ScrollBars == 1 || data_.ScrollBars == 3) style |= ES_AUTOHSCROLL | WS_HSCROLL;
        if (data_.ScrollBars == 2 || data_.ScrollBars == 3) style |= WS_VSCROLL;
    } else {
        style |= ES_AUTOHSCROLL;
    }
    if (data_.HAlign == 1) style |= ES_CENTER;
    if (data_.HAlign == 2) style |= ES_RIGHT;
    if (data_.InputMode == kReadOnlyMode) style |= ES_READONLY;
    if (data_.InputMode == kPasswordMode) style |= ES_PASSWORD;
    if (data_.CaseConvert == 1) style |= ES_LOWERCASE;
    if (data_.CaseConvert == 2) style |= ES_UPPERCASE;
    return style;
}

bool EditBox::Build(const rt::CreateParameters& p) {
    DWORD borderExStyle, borderStyle;
    BorderStyles(data_.border, &borderExStyle, &borderStyle);
    if (!CreateSystemControl(L"EDIT", borderExStyle, p.style | Style() | borderStyle, data_.content, p.x, p.y, p.cx,
                             p.cy))
        return false;
    ApplyFont(data_.font);
    SendMessageW(window_, EM_LIMITTEXT, static_cast<WPARAM>(std::max(data_.MaxAllowLength, 0)), 0);
    if (data_.InputMode == kPasswordMode) ApplyPasswordChar();
    if (!data_.AllowMultiLines && data_.SpinMode != 0) CreateSpin(p.x, p.y, p.cx, p.cy, p.style & WS_DISABLED);
    Select(data_.SelStart, data_.SelLength);
    SendMessageW(window_, EM_SCROLLCARET, 0, 0);
    return true;
}

void EditBox::CreateSpin(int x, int y, int cx, int cy, bool disabled) {
    EnsureSpinClass();
    DWORD exStyle = (data_.border == 0 || data_.border == 1 || data_.border == 3) ? WS_EX_CLIENTEDGE : 0;
    DWORD style = WS_CHILD | UDS_ARROWKEYS | UDS_NOTHOUSANDS | (disabled ? WS_DISABLED : 0);
    int width = SpinWidth();
    spin_ = CreateWindowExW(exStyle, UPDOWN_CLASSW, L"", style, x + cx - width, y, width, cy, parent_,
                            reinterpret_cast<HMENU>(static_cast<intptr_t>(controlId_ + kSpinIdOffset)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!spin_) return;  // the edit box works without it
    SetReflectionTarget(spin_, window_);
    SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(window_), 0);
    ApplySpinRange();
    KeepSpinMargin();
    PlaceSpin();
}

void EditBox::ApplySpinRange() {
    if (!spin_) return;
    SendMessageW(spin_, UDM_SETRANGE32, static_cast<WPARAM>(std::min(data_.SpinMin, data_.SpinMax)),
                 static_cast<LPARAM>(std::max(data_.SpinMin, data_.SpinMax)));
}

// The spin lies over the right end of the edit box; the text stays clear of it.
void EditBox::KeepSpinMargin() {
    if (spin_) SendMessageW(window_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, SpinWidth()));
}

void EditBox::PlaceSpin() {
    if (!spin_ || !IsWindow(spin_)) return;
    HWND parent = GetParent(window_);
    if (GetParent(spin_) != parent) SetParent(spin_, parent);  // the box was moved into a container
    RECT place;
    GetWindowRect(window_, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    int width = SpinWidth();
    HWND above = GetWindow(window_, GW_HWNDPREV);
    UINT flags = SWP_NOACTIVATE | (above == spin_ ? SWP_NOZORDER : 0);
    SetWindowPos(spin_, above ? above : HWND_TOP, place.right - width, place.top, width, place.bottom - place.top,
                 flags);
}

LRESULT EditBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kReflectedMessageBase + WM_COMMAND: return OnCommand(wParam);
    case kReflectedMessageBase + WM_NOTIFY: {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == spin_ && header->code == UDN_DELTAPOS)
            return OnSpinChange(*reinterpret_cast<const NMUPDOWN*>(lParam));
        return 0;
    }
    case kReflectedMessageBase + WM_CTLCOLOREDIT:
    case kReflectedMessageBase + WM_CTLCOLORSTATIC: return OnColour(reinterpret_cast<HDC>(wParam));
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = Default(message, wParam, lParam);
        PlaceSpin();
        return result;
    }
    case WM_SHOWWINDOW:
        // Only a show or hide of the box itself, not of its parent.
        if (spin_ && lParam == 0) ShowWindow(spin_, wParam ? SW_SHOWNA : SW_HIDE);
        break;
    case WM_ENABLE:
        if (spin_) EnableWindow(spin_, static_cast<BOOL>(wParam));
        break;
    case WM_SETFONT: {
        LRESULT result = Default(message, wParam, lParam);
        KeepSpinMargin();  // a new font resets the margins
        return result;
    }
    case WM_DESTROY:
        if (spin_ && IsWindow(spin_)) DestroyWindow(spin_);
        spin_ = nullptr;
        break;
    default: break;
    }
    return StandardControl::HandleMessage(message, wParam, lParam);
}

LRESULT EditBox::OnCommand(WPARAM wParam) {
    if (HIWORD(wParam) == EN_CHANGE && !settingContent_) Raise(rt::kEditBoxChanged);
    return 0;
}

LRESULT EditBox::OnSpinChange(const NMUPDOWN& change) {
    if (change.iDelta == 0) return 1;
    bool up = change.iDelta > 0;
    if (data_.SpinMode == kAutomaticSpin) StepSpin(up);
    else Raise(rt::kEditBoxSpin, {up ? 1u : static_cast<uint32_t>(-1)});
    return 1;  // the spin keeps no position of its own
}

void EditBox::StepSpin(bool up) {
    if (!IsWindowEnabled(window_) || !IsWindowVisible(window_)) return;
    long long low = std::min(data_.SpinMin, data_.SpinMax), high = std::max(data_.SpinMin, data_.SpinMax);
    long long value = TextAsInteger(Text());
    long long next = up ? value + 1 : value - 1;
    if (next < low || next > high) next = up ? low : high;  // wraps round
    HWND window = window_;
    SetText(std::to_string(next));
    if (!IsWindow(window)) return;  // a content handler closed the form
    SendMessageW(window, EM_SETSEL, 0, -1);
    SendMessageW(window, EM_SCROLLCARET, 0, 0);
    SetFocus(window);
}

LRESULT EditBox::OnColour(HDC dc) {
    SetTextColor(dc, ResolveColour(data_.TextColor, COLOR_WINDOWTEXT));
    COLORREF back = ResolveColour(data_.BackColor, COLOR_BTNFACE);
    SetBkColor(dc, back);
    return reinterpret_cast<LRESULT>(background_.Get(back));
}

void EditBox::SetContent(std::string_view content) {
    settingContent_ = true;
    SetText(content);
    settingContent_ = false;
    Raise(rt::kEditBoxChanged);  // once, whether or not the control reported the change itself
}

void EditBox::ApplyPasswordChar() {
    wchar_t character = 0;
    if (data_.InputMode == kPasswordMode) {
        std::wstring wide = rt::WideFromGbk(PasswordCharText(data_.PasswordChar));
        if (!wide.empty()) character = wide[0];
    }
    SendMessageW(window_, EM_SETPASSWORDCHAR, character, 0);
    InvalidateRect(window_, nullptr, TRUE);
}

ByteSelection EditBox::Selection() const {
    DWORD start = 0, end = 0;
    SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return SelectionInBytes(WideWindowText(window_), static_cast<int>(start), static_cast<int>(end));
}

std::string EditBox::SelectedText() const {
    DWORD start = 0, end = 0;
    SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::wstring text = WideWindowText(window_);
    size_t from = std::min<size_t>(start, text.size()), to = std::min<size_t>(end, text.size());
    return rt::GbkFromWide(std::wstring_view(text).substr(from, to > from ? to - from : 0));
}

void EditBox::Select(int start, int length) {
    if (start < 0) {
        SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(-1), 0);  // no selection
        return;
    }
    std::wstring text = WideWindowText(window_);
    long long end = std::clamp<long long>(static_cast<long long>(start) + length, 0, INT_MAX);
    SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(CharIndexOfByte(text, start)),
                 static_cast<LPARAM>(CharIndexOfByte(text, static_cast<int>(end))));
}

int EditBox::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return 0;
    const EditBoxData before = data_;
    switch (ownIndex) {
    case kContent: SetContent(value.bytes); return 0;
    case kPasswordChar:
        data_.PasswordChar = PasswordCharCode(value.bytes);
        if (data_.InputMode == kPasswordMode) ApplyPasswordChar();
        return 0;
    case kSelStart: Select(value.integer, 0); return 0;
    case kSelLength: Select(Selection().start, value.integer); return 0;
    case kSelText:
        SendMessageW(window_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(rt::WideFromGbk(value.bytes).c_str()));
        return 0;
    default: break;
    }
    SetStoredProperty(data_, kProperties[ownIndex].englishName, value);
    switch (ownIndex) {
    case kBorder: ApplyBorder(window_, data_.border); return 0;
    case kTextColor:
    case kBackColor: InvalidateRect(window_, nullptr, TRUE); return 0;
    case kFont: ApplyFont(data_.font); return 0;
    case kMaxAllowLength:
        SendMessageW(window_, EM_LIMITTEXT, static_cast<WPARAM>(std::max(data_.MaxAllowLength, 0)), 0);
        return 0;
    case kInputMode:
        SendMessageW(window_, EM_SETREADONLY, data_.InputMode == kReadOnlyMode, 0);
        ApplyPasswordChar();
        return 0;
    case kSpinMin:
    case kSpinMax: ApplySpinRange(); return 0;
    // Window styles fixed at creation.
    case kHideSel: return data_.HideSel != before.HideSel ? 1 : 0;
    case kAllowMultiLines: return data_.AllowMultiLines != before.AllowMultiLines ? 1 : 0;
    case kScrollBars: return data_.ScrollBars != before.ScrollBars ? 1 : 0;
    case kHAlign: return data_.HAlign != before.HAlign ? 1 : 0;
    case kCaseConvert: return data_.CaseConvert != before.CaseConvert ? 1 : 0;
    case kSpinMode: return (data_.SpinMode != 0) != (before.SpinMode != 0) ? 1 : 0;
    default: return 0;
    }
}

bool EditBox::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex < 0 || ownIndex >= kPropertyCount) return false;
    switch (ownIndex) {
    case kContent: value->bytes = Text(); return true;
    case kPasswordChar: value->bytes = PasswordCharText(data_.PasswordChar); return true;
    case kSelStart: value->integer = Selection().start; return true;
    case kSelLength: value->integer = Selection().length; return true;
    case kSelText: value->bytes = SelectedText(); return true;
    default: return GetStoredProperty(data_, kProperties[ownIndex].englishName, value);
    }
}

std::vector<uint8_t> EditBox::AllData() const {
    EditBoxData data = data_;
    data.version = EditBoxData::kMaxVersion;
    data.content = Text();
    ByteSelection selection = Selection();
    data.SelStart = selection.start;
    data.SelLength = selection.length;
    return data.Write();
}

rt::PropertyList EditBox::Properties() { return {kProperties, kPropertyCount}; }

void* EditBoxTypeInterface(int request) { return TypeInterfaceFor<EditBox>(request); }

}  // namespace components
