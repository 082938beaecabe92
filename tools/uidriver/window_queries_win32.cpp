#include "tools/uidriver/window_queries_win32.h"

#include "tools/uidriver/text_encoding_win32.h"

namespace uidriver {
namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectThreadWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// A visible window of the thread if it has one: hidden helper windows (the
// input method's) go away with the thread's last real window.
HWND AnyWindowOfThread(DWORD threadId) {
    std::vector<HWND> windows;
    EnumThreadWindows(threadId, CollectThreadWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (IsWindowVisible(window)) return window;
    return windows.empty() ? nullptr : windows.front();
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> DescendantWindows(HWND window) {
    std::vector<HWND> windows;
    EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

DWORD WindowProcessId(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

DWORD WindowThreadId(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

std::string WindowClassName(HWND window) {
    wchar_t name[256];
    int length = GetClassNameW(window, name, 256);
    return Utf8FromWide(std::wstring_view(name, length > 0 ? static_cast<size_t>(length) : 0));
}

std::wstring StoredWindowText(HWND window) {
    wchar_t text[1024];
    int length = InternalGetWindowText(window, text, 1024);
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::optional<std::wstring> ReadWindowText(HWND window, UINT timeoutMs) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) return std::nullopt;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             timeoutMs, &copied))
        return std::nullopt;
    text.resize(std::min<size_t>(static_cast<size_t>(copied), length));
    return text;
}

bool ReallyVisible(HWND window) { return IsWindowVisible(window) != FALSE; }

bool ReallyEnabled(HWND window) {
    for (HWND current = window; current; current = GetAncestor(current, GA_PARENT)) {
        if (!IsWindowEnabled(current)) return false;
        if (current == GetAncestor(window, GA_ROOT)) break;
    }
    return true;
}

RECT PlaceInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    HWND parent = GetAncestor(window, GA_PARENT);
    if (parent && parent != GetDesktopWindow()) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

ObservedWindow ObserveWindow(HWND window) {
    ObservedWindow observed;
    RECT rect{};
    GetWindowRect(window, &rect);
    observed.width = rect.right - rect.left;
    observed.height = rect.bottom - rect.top;
    for (HWND child : DescendantWindows(window)) {
        ObservedControl control;
        control.controlId = GetDlgCtrlID(child);
        control.className = WindowClassName(child);
        observed.controls.push_back(std::move(control));
    }
    return observed;
}

std::string HandleText(HWND window) {
    return HexWord(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
}

bool SettleThread(HWND windowOfThread, UINT timeoutMs) {
    if (!windowOfThread || !IsWindow(windowOfThread)) return false;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(windowOfThread, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

bool SettleThreadById(DWORD threadId, HWND preferred, UINT timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        HWND window = preferred && IsWindow(preferred) && WindowThreadId(preferred) == threadId
                          ? preferred
                          : AnyWindowOfThread(threadId);
        if (!window) return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        DWORD_PTR ignored = 0;
        if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(deadline - now), &ignored))
            return true;
        // Still there: the thread is busy. Gone meanwhile: ask another of its windows.
        if (IsWindow(window)) return false;
        preferred = nullptr;
    }
}

JsonValue DescribeWindow(HWND window, UINT textTimeoutMs, JsonValue out) {
    out.Set("hwnd", HandleText(window));
    HWND parent = GetAncestor(window, GA_PARENT);
    bool child = parent && parent != GetDesktopWindow();
    if (child) out.Set("id", GetDlgCtrlID(window));
    out.Set("class", WindowClassName(window));
    std::optional<std::wstring> text = child ? ReadWindowText(window, textTimeoutMs) : std::nullopt;
    out.Set("text", Utf8FromWide(text ? *text : StoredWindowText(window)));
    RECT place = PlaceInParent(window);
    out.Set("x", static_cast<int>(place.left));
    out.Set("y", static_cast<int>(place.top));
    out.Set("w", static_cast<int>(place.right - place.left));
    out.Set("h", static_cast<int>(place.bottom - place.top));
    if (!child) {
        RECT client{};
        GetClientRect(window, &client);
        out.Set("cw", static_cast<int>(client.right));
        out.Set("ch", static_cast<int>(client.bottom));
    }
    out.Set("pid", static_cast<unsigned long>(WindowProcessId(window)));
    out.Set("visible", ReallyVisible(window));
    out.Set("enabled", ReallyEnabled(window));
    return out;
}

}  // namespace uidriver
