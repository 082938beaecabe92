#include "components/common/tool_tip_win32.h"

#include <commctrl.h>

#include <string>

#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

void RegisterToolTipClass() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

// The record size every version of the common controls accepts.
TOOLINFOW ToolOf(HWND control, wchar_t* text) {
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    return tool;
}

}  // namespace

bool ToolTip::Create(HWND control) {
    RegisterToolTipClass();
    window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, control, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) return false;
    SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, kToolTipMaxWidth);
    wchar_t empty[] = L"";
    TOOLINFOW tool = ToolOf(control, empty);
    if (!SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        Destroy();
        return false;
    }
    return true;
}

void ToolTip::SetText(HWND control, std::string_view text) {
    if (text.empty()) {
        Destroy();
        return;
    }
    if (!window_ && !Create(control)) return;
    std::wstring wide = rt::WideFromGbk(text);
    TOOLINFOW tool = ToolOf(control, wide.data());
    SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTip::Relay(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!window_) return;
    MSG relayed{};
    relayed.hwnd = control;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = static_cast<DWORD>(GetMessageTime());
    GetCursorPos(&relayed.pt);
    SendMessageW(window_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void ToolTip::Destroy() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

}  // namespace components
