#include "components/common/standard_control_win32.h"

#include "components/common/component_fonts_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/text_selection_win32.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

constexpr DWORD kBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;

}  // namespace

StandardControl::StandardControl(const rt::CreateParameters& parameters)
    : ComponentWindow(parameters.formId, parameters.unitId), controlId_(parameters.controlId),
      parent_(parameters.parent) {}

StandardControl::~StandardControl() = default;

bool StandardControl::CreateSystemControl(const wchar_t* className, DWORD exStyle, DWORD style,
                                          std::string_view text, int x, int y, int cx, int cy) {
    std::wstring wide = rt::WideFromGbk(text);
    return Created(CreateBoundWindow(exStyle, className, wide.c_str(), style | WS_CHILD | WS_CLIPSIBLINGS, x, y, cx,
                                     cy, parent_, reinterpret_cast<HMENU>(static_cast<intptr_t>(controlId_))));
}

bool StandardControl::CreateOwnClassWindow(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y,
                                           int cx, int cy) {
    return Created(CreateBoundWindow(exStyle, className, L"", style | WS_CHILD | WS_CLIPSIBLINGS, x, y, cx, cy,
                                     parent_, reinterpret_cast<HMENU>(static_cast<intptr_t>(controlId_))));
}

bool StandardControl::Created(HWND window) {
    if (!window) return false;
    Adopt();
    SetReflectionTarget(window, window);
    return true;
}

void StandardControl::OnUnbound() { SetReflectionTarget(window_, nullptr); }

LRESULT StandardControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (SetUnitCursor(wParam, lParam)) return TRUE;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        if (!raiseFocusFromMessages_) break;
        uint32_t formId = formId_, unitId = unitId_;
        LRESULT result = Default(message, wParam, lParam);
        rt::RaiseComponentEvent(formId, unitId, message == WM_SETFOCUS ? rt::kEventGotFocus : rt::kEventLostFocus);
        return result;
    }
    default: break;
    }
    return Default(message, wParam, lParam);
}

bool StandardControl::SetUnitCursor(WPARAM wParam, LPARAM lParam) const {
    if (LOWORD(lParam) != HTCLIENT) return false;
    HCURSOR cursor = rt::CursorOfUnit(formId_, unitId_);
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

bool StandardControl::Raise(int32_t eventNumber, std::initializer_list<uint32_t> arguments) const {
    return rt::RaiseComponentEvent(formId_, unitId_, eventNumber, arguments);
}

void StandardControl::ApplyFont(const std::optional<rt::LogFont>& font) {
    HFONT created = CreateStoredFont(font);
    HFONT handle = created ? created : DefaultComponentFont();
    if (window_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    ownedFont_.Reset(created);  // only once the window no longer uses the old one
}

HFONT StandardControl::Font() const { return ownedFont_ ? ownedFont_.Get() : DefaultComponentFont(); }

std::string StandardControl::Text() const { return rt::GbkFromWide(WideWindowText(window_)); }

void StandardControl::SetText(std::string_view text) { SetWindowTextW(window_, rt::WideFromGbk(text).c_str()); }

COLORREF ResolveColour(uint32_t colour, int systemColourIndex) {
    return colour == 0xFF000000u ? GetSysColor(systemColourIndex) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

void BorderStyles(int border, DWORD* exStyle, DWORD* style) {
    *exStyle = 0;
    *style = 0;
    switch (border) {
    case 1: *exStyle = WS_EX_CLIENTEDGE; break;
    case 2: *exStyle = WS_EX_DLGMODALFRAME; break;
    case 3: *exStyle = WS_EX_STATICEDGE; break;
    case 4: *exStyle = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME; break;
    case 5: *style = WS_BORDER; break;
    default: break;
    }
}

void ApplyBorder(HWND window, int border) {
    DWORD exStyle, style;
    BorderStyles(border, &exStyle, &style);
    DWORD oldExStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    DWORD oldStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    SetWindowLongW(window, GWL_EXSTYLE, static_cast<LONG>((oldExStyle & ~kBorderExStyles) | exStyle));
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>((oldStyle & ~WS_BORDER) | style));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

HBRUSH SolidBrush::Get(COLORREF colour) {
    if (brush_ && colour == colour_) return brush_.Get();
    HBRUSH made = CreateSolidBrush(colour);
    if (!made) return brush_.Get();
    brush_.Reset(made);
    colour_ = colour;
    return brush_.Get();
}

}  // namespace components
