#include "components/transparent_label/transparent_label_win32.h"

#include <algorithm>

#include "components/common/component_fonts_win32.h"
#include "components/common/component_types_win32.h"
#include "components/common/component_window_class_win32.h"
#include "components/common/effect_text_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/properties/property_layout.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

const rt::PropertyDescriptor kProperties[kTransLabelPropertyCount] = {
    {"标题", "caption", rt::kPropertyText},      {"效果", "effect", rt::kPropertyPick},
    {"字体", "font", rt::kPropertyFont},         {"文本颜色", "TextColor", rt::kPropertyColour},
    {"横向对齐方式", "HAlign", rt::kPropertyPick}, {"是否自动折行", "WordWrap", rt::kPropertyBool},
    {"纵向对齐方式", "VAlign", rt::kPropertyPick},
};

int32_t Clamp(int32_t value, int32_t high) { return std::clamp(value, 0, high); }

COLORREF TextColour(uint32_t colour) {
    return colour == kDefaultColour ? GetSysColor(COLOR_BTNTEXT) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

// The nearest ancestor that is not a child window: the one whose background shows through.
HWND RefreshRoot(HWND window) {
    HWND root = window;
    for (;;) {
        LONG style = GetWindowLongW(root, GWL_STYLE);
        HWND parent = GetParent(root);
        if (!(style & WS_CHILD) || (style & WS_POPUP) || !parent) return root;
        root = parent;
    }
}

// Visible descendants, each window's children before the window, siblings top first.
void CollectVisible(HWND parent, std::vector<HWND>& windows) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        CollectVisible(child, windows);
        windows.push_back(child);
    }
}

}  // namespace

TransparentLabel* TransparentLabel::Create(const rt::CreateParameters& p) {
    auto* label = new TransparentLabel(p.formId, p.unitId);
    if (label->data_.Read(p.data, p.length) != rt::ReadStatus::kOk ||
        !EnsureComponentClass(kTransparentLabelClass, ClassProcedure, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS)) {
        delete label;
        return nullptr;
    }
    label->ApplyFont();
    std::wstring caption = rt::WideFromGbk(label->data_.caption);
    if (!label->CreateBoundWindow(WS_EX_TRANSPARENT, kTransparentLabelClass, caption.c_str(),
                                  p.style | WS_CHILD | WS_CLIPSIBLINGS, p.x, p.y, p.cx, p.cy, p.parent,
                                  reinterpret_cast<HMENU>(static_cast<intptr_t>(p.controlId)))) {
        delete label;
        return nullptr;
    }
    label->Adopt();
    return label;
}

TransparentLabel::~TransparentLabel() = default;

void TransparentLabel::ApplyFont() {
    font_.Reset(CreateStoredFont(data_.font));
}

LRESULT TransparentLabel::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: return 1;  // nothing of its own beneath the text
    case WM_PAINT: Paint(); return 0;
    case WM_MOVE: {
        LRESULT result = Default(message, wParam, lParam);
        RefreshSeeThrough();
        return result;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT) {
            if (HCURSOR cursor = rt::CursorOfUnit(formId_, unitId_)) {
                SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    case WM_SETFOCUS: rt::RaiseComponentEvent(formId_, unitId_, rt::kEventGotFocus); return 0;
    case WM_KILLFOCUS: rt::RaiseComponentEvent(formId_, unitId_, rt::kEventLostFocus); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_ ? font_.Get() : DefaultComponentFont());
    default: break;
    }
    return Default(message, wParam, lParam);
}

void TransparentLabel::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (!data_.caption.empty()) {
        HGDIOBJ oldFont = SelectObject(dc, font_ ? font_.Get() : DefaultComponentFont());
        int oldMode = SetBkMode(dc, TRANSPARENT);
        RECT client;
        GetClientRect(window_, &client);
        DrawEffectText(dc, rt::WideFromGbk(data_.caption), client,
                       TextLayoutFlags(data_.HAlign, data_.VAlign, data_.WordWrap), TextColour(data_.TextColor),
                       data_.effect);
        SetBkMode(dc, oldMode);
        SelectObject(dc, oldFont);
    }
    EndPaint(window_, &paint);
}

void TransparentLabel::RefreshSeeThrough() {
    if (!IsWindowVisible(window_)) return;
    HWND root = RefreshRoot(window_);
    RECT onScreen;
    GetClientRect(window_, &onScreen);
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
    RECT inRoot = onScreen;
    MapWindowPoints(nullptr, root, reinterpret_cast<POINT*>(&inRoot), 2);
    InvalidateRect(root, &inRoot, TRUE);
    UpdateWindow(root);

    std::vector<HWND> windows;
    CollectVisible(root, windows);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        HWND window = *it;
        if (window == window_) continue;  // it draws last, once
        RECT bounds, overlap;
        GetWindowRect(window, &bounds);
        if (!IntersectRect(&overlap, &bounds, &onScreen)) continue;
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&overlap), 2);
        RedrawWindow(window, &overlap, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
    }
    InvalidateRect(window_, nullptr, FALSE);
}

bool TransparentLabel::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    switch (ownIndex) {
    case kTransLabelCaption: value->bytes = data_.caption; break;
    case kTransLabelEffect: value->integer = data_.effect; break;
    case kTransLabelFont:
        if (data_.font) {
            value->bytes.assign(rt::LogFont::kSize, '\0');
            data_.font->ToBytes(reinterpret_cast<uint8_t*>(value->bytes.data()));
        }
        break;
    case kTransLabelTextColor: value->integer = static_cast<int32_t>(data_.TextColor); break;
    case kTransLabelHAlign: value->integer = data_.HAlign; break;
    case kTransLabelWordWrap: value->integer = data_.WordWrap; break;
    case kTransLabelVAlign: value->integer = data_.VAlign; break;
    default: return false;
    }
    return true;
}

int TransparentLabel::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    switch (ownIndex) {
    case kTransLabelCaption:
        data_.caption = value.bytes;
        SetWindowTextW(window_, rt::WideFromGbk(data_.caption).c_str());
        break;
    case kTransLabelEffect: data_.effect = Clamp(value.integer, 3); break;
    case kTransLabelFont:
        if (value.bytes.size() == rt::LogFont::kSize)
            data_.font = rt::LogFont::FromBytes(reinterpret_cast<const uint8_t*>(value.bytes.data()));
        else
            data_.font.reset();
        ApplyFont();
        break;
    case kTransLabelTextColor: data_.TextColor = static_cast<uint32_t>(value.integer); break;
    case kTransLabelHAlign: data_.HAlign = Clamp(value.integer, 2); break;
    case kTransLabelWordWrap: data_.WordWrap = value.integer != 0; break;
    case kTransLabelVAlign: data_.VAlign = Clamp(value.integer, 2); break;
    default: return 0;
    }
    RefreshSeeThrough();
    return 0;
}

rt::PropertyList TransparentLabel::Properties() { return {kProperties, kTransLabelPropertyCount}; }

void* TransLabelTypeInterface(int request) { return TypeInterfaceFor<TransparentLabel>(request); }

}  // namespace components
