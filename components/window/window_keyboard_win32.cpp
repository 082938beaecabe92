// The window's keyboard conventions, applied before a key reaches the
// focused control: Tab, Enter, Esc, F1, arrow keys, Alt mnemonics and
// dragging the window from its client area.
#include <cwchar>
#include <cwctype>
#include <string>

#include "components/common/component_window_class_win32.h"
#include "components/window/window_component_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

bool IsButtonClass(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return _wcsicmp(name, L"Button") == 0;
}

// Push buttons, owner-drawn ones too, say so in their dialog code.
bool IsPushButton(HWND window) {
    return (SendMessageW(window, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

bool Usable(HWND window) { return IsWindowVisible(window) && IsWindowEnabled(window); }

// What the focused control says it handles of this key message.
UINT ControlKeyCode(HWND focus, MSG& message) {
    if (!focus) return 0;
    return static_cast<UINT>(SendMessageW(focus, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message)));
}

// "&x" in a caption (not "&&") marks x as the mnemonic.
bool HasMnemonic(HWND window, wchar_t key) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return false;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        return std::towlower(text[i + 1]) == std::towlower(key);
    }
    return false;
}

struct MnemonicSearch {
    wchar_t key;
    HWND found;
};

BOOL CALLBACK FindMnemonic(HWND child, LPARAM parameter) {
    auto* search = reinterpret_cast<MnemonicSearch*>(parameter);
    if (!Usable(child) || !HasMnemonic(child, search->key)) return TRUE;
    search->found = child;
    return FALSE;
}

struct DefaultButtonSearch {
    HWND found;
};

BOOL CALLBACK FindDefaultButton(HWND child, LPARAM parameter) {
    if (!Usable(child) || !IsButtonClass(child)) return TRUE;
    if (!(SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) return TRUE;
    reinterpret_cast<DefaultButtonSearch*>(parameter)->found = child;
    return FALSE;
}

// A click on a button as its parent hears of it.
void Click(HWND button) {
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool InsideWindow(HWND root, HWND window) { return window == root || IsChild(root, window); }

// Children that may drag their window: the runtime's display components
// without input of their own.
bool PermitsWindowDrag(HWND child) {
    wchar_t name[32] = {};
    if (!GetClassNameW(child, name, 32)) return false;
    return std::wcscmp(name, kTransparentLabelClass) == 0 || std::wcscmp(name, L"_WK_Label") == 0 ||
           std::wcscmp(name, L"_WK_PicBox") == 0;
}

}  // namespace

bool WindowComponent::PreTranslateMessage(MSG& message) {
    if (!InsideWindow(window_, message.hwnd)) return false;
    switch (message.message) {
    case WM_KEYDOWN: return OnKeyDown(message);
    case WM_SYSCHAR: return OnMnemonic(static_cast<wchar_t>(message.wParam));
    case WM_LBUTTONDOWN:
        if (data_.DragAnywhere && (message.hwnd == window_ || PermitsWindowDrag(message.hwnd))) {
            ReleaseCapture();
            POINT point;
            GetCursorPos(&point);
            PostMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
        }
        return false;
    default: return false;
    }
}

bool WindowComponent::OnKeyDown(MSG& message) {
    HWND focus = message.hwnd;  // key messages go to the focused window
    if (focus == window_) focus = nullptr;
    UINT code = ControlKeyCode(focus, message);
    if (code & DLGC_WANTMESSAGE) return false;  // the control handles the key itself
    bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (message.wParam) {
    case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
        if (GetKeyState(VK_CONTROL) < 0) return false;
        MoveFocus(focus, shift);
        return true;
    case VK_RETURN:
        if (code & DLGC_WANTALLKEYS) return false;
        if (focus && Usable(focus) && IsPushButton(focus)) {
            Click(focus);
        } else if (data_.EnterMovesFocus) {
            MoveFocus(focus, false);
        } else {
            PressDefaultButton();
        }
        return true;
    case VK_ESCAPE:
        if (!data_.EscCloses || (code & DLGC_WANTALLKEYS)) return false;
        SendMessageW(window_, WM_CLOSE, 0, 0);
        return true;
    case VK_F1:
        if (!data_.F1Help) return false;
        OpenHelp();
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        if (!focus || (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS))) return false;
        bool backwards = message.wParam == VK_LEFT || message.wParam == VK_UP;
        HWND next = GetNextDlgGroupItem(window_, focus, backwards);
        if (!next || next == focus) return false;
        SetFocus(next);
        return true;
    }
    default: return false;
    }
}

void WindowComponent::MoveFocus(HWND focus, bool backwards) {
    HWND next = GetNextDlgTabItem(window_, focus, backwards);
    if (next && (GetWindowLongW(next, GWL_STYLE) & WS_TABSTOP)) SetFocus(next);
}

void WindowComponent::PressDefaultButton() {
    DefaultButtonSearch search{nullptr};
    EnumChildWindows(window_, FindDefaultButton, reinterpret_cast<LPARAM>(&search));
    if (search.found) Click(search.found);
}

bool WindowComponent::OnMnemonic(wchar_t key) {
    if (!std::iswalnum(key)) return false;
    MnemonicSearch search{key, nullptr};
    EnumChildWindows(window_, FindMnemonic, reinterpret_cast<LPARAM>(&search));
    HWND target = search.found;
    if (!target) return false;
    if (IsButtonClass(target)) {
        SetFocus(target);
        SendMessageW(target, BM_CLICK, 0, 0);
        return true;
    }
    // A caption without input of its own hands the focus to the next tab stop.
    HWND focusTarget = (GetWindowLongW(target, GWL_STYLE) & WS_TABSTOP) ? target
                                                                         : GetNextDlgTabItem(window_, target, FALSE);
    if (focusTarget) SetFocus(focusTarget);
    return true;
}

void WindowComponent::OpenHelp() {
    std::wstring file;
    if (!data_.HelpFile.empty()) {
        file = rt::WideFromGbk(data_.HelpFile);
    } else {
        // Cut the extension in UTF-16: a GBK trail byte can look like a backslash.
        const rt::RuntimeContext& runtime = rt::Runtime();
        file = rt::WideFromGbk(runtime.programDirectory) + L"\\" + rt::WideFromGbk(runtime.programFileName);
        size_t dot = file.find_last_of(L'.');
        size_t slash = file.find_last_of(L'\\');
        if (dot != std::wstring::npos && dot > slash) file.resize(dot);
        file += L".hlp";
    }
    UINT command = data_.HelpContext != 0 ? HELP_CONTEXT : HELP_FINDER;
    ULONG_PTR context = data_.HelpContext != 0 ? static_cast<ULONG_PTR>(static_cast<uint32_t>(data_.HelpContext)) : 0;
    if (WinHelpW(window_, file.c_str(), command, context)) helpOpened_ = true;
}

}  // namespace components
