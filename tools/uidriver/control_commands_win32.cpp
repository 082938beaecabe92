// Commands that read and operate controls the way a user would: texts, typing,
// combo selection, clicks, waiting for a state, and raw messages.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "tools/uidriver/command_handlers_win32.h"
#include "tools/uidriver/driver_session_win32.h"
#include "tools/uidriver/text_encoding_win32.h"
#include "tools/uidriver/window_queries_win32.h"

namespace uidriver {
namespace {

// A control that a user could operate: shown and enabled with all its
// ancestors (unless the command says force).
bool Operable(const Target& target, const CommandArguments& arguments, Failure* failure) {
    if (arguments.Has("force")) return true;
    if (!ReallyVisible(target.window)) {
        *failure = {"hidden", HandleText(target.window) + " is not visible (force operates it anyway)"};
        return false;
    }
    if (!ReallyEnabled(target.window)) {
        *failure = {"disabled", HandleText(target.window) + " or its window is disabled (force operates it anyway)"};
        return false;
    }
    return true;
}

bool SameClass(HWND window, const wchar_t* name) {
    wchar_t className[64];
    return GetClassNameW(window, className, 64) && _wcsicmp(className, name) == 0;
}

// Every word after the control.
std::vector<std::string> Rest(const CommandArguments& arguments, size_t consumed) {
    return std::vector<std::string>(arguments.positional.begin() + static_cast<long>(consumed),
                                    arguments.positional.end());
}

bool ComboItems(HWND combo, UINT timeoutMs, std::vector<std::wstring>* items) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &count)) return false;
    if (static_cast<LONG_PTR>(count) < 0) count = 0;
    items->clear();
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, timeoutMs, &length)) return false;
        if (static_cast<LONG_PTR>(length) < 0) length = 0;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                                 timeoutMs, &copied))
            return false;
        if (static_cast<LONG_PTR>(copied) < 0) copied = 0;
        text.resize(std::min<size_t>(static_cast<size_t>(copied), length));
        items->push_back(std::move(text));
    }
    return true;
}

JsonValue Hung(HWND window, UINT timeoutMs) {
    return FailureAnswer({"hung", "the program did not answer within " + std::to_string(timeoutMs) + " ms (window " +
                                      HandleText(window) + ")"});
}

bool MouseClick(const Target& target, bool checkCovered, Failure* failure) {
    RECT rect{};
    GetWindowRect(target.window, &rect);
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    SetForegroundWindow(target.topLevel);
    // Asynchronous: a hung program must not hang the driver.
    SetWindowPos(target.topLevel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    if (checkCovered) {
        HWND hit = WindowFromPoint(centre);
        if (hit != target.window && !IsChild(target.window, hit)) {
            *failure = {"covered", "the centre of " + HandleText(target.window) + " shows window " +
                                       HandleText(hit) + " (" + WindowClassName(hit) + ")"};
            return false;
        }
    }
    if (!SetCursorPos(centre.x, centre.y)) {
        *failure = {"failed", "the mouse pointer could not be moved"};
        return false;
    }
    // As a hand does it: arrive over the control, press, release; controls
    // that track the pointer only take a press after they saw it come.
    const int kScreenScale = 65535;
    int screenWidth = std::max(GetSystemMetrics(SM_CXSCREEN) - 1, 1);
    int screenHeight = std::max(GetSystemMetrics(SM_CYSCREEN) - 1, 1);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(centre.x, kScreenScale, screenWidth);
    move.mi.dy = MulDiv(centre.y, kScreenScale, screenHeight);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT up{};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    for (INPUT* input : {&move, &down, &up}) {
        if (SendInput(1, input, sizeof(INPUT)) != 1) {
            *failure = {"failed", "the mouse input was not taken"};
            return false;
        }
        Sleep(50);
    }
    return true;
}

UINT MessageNumber(const std::string& name, bool* known) {
    static const struct {
        const char* name;
        UINT number;
    } kNames[] = {
        {"WM_NULL", WM_NULL},           {"WM_CLOSE", WM_CLOSE},         {"WM_COMMAND", WM_COMMAND},
        {"WM_SYSCOMMAND", WM_SYSCOMMAND}, {"WM_KEYDOWN", WM_KEYDOWN},   {"WM_KEYUP", WM_KEYUP},
        {"WM_CHAR", WM_CHAR},           {"WM_LBUTTONDOWN", WM_LBUTTONDOWN}, {"WM_LBUTTONUP", WM_LBUTTONUP},
        {"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK}, {"WM_RBUTTONDOWN", WM_RBUTTONDOWN}, {"WM_RBUTTONUP", WM_RBUTTONUP},
        {"WM_TIMER", WM_TIMER},         {"WM_PAINT", WM_PAINT},         {"WM_USER", WM_USER},
        {"WM_APP", WM_APP},
    };
    *known = true;
    int64_t number = 0;
    if (ParseNumber(name, &number)) return static_cast<UINT>(number);
    for (const auto& entry : kNames)
        if (name == entry.name) return entry.number;
    // Anything else is a registered message such as "TaskbarCreated".
    UINT registered = RegisterWindowMessageW(WideFromUtf8(name).c_str());
    *known = registered != 0;
    return registered;
}

}  // namespace

JsonValue TextCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {});
    Target target;
    Failure failure;
    size_t consumed = 0;
    bool found = false;
    if (arguments.positional.size() == 1) found = session.ResolveWindow(arguments, 0, &target, &failure);
    else if (arguments.positional.size() == 2) found = session.ResolveControl(arguments, 0, &target, &consumed, &failure);
    else failure = {"bad_command", "usage: text WINDOW [COMPONENT]"};
    if (!found) return FailureAnswer(failure);
    std::optional<std::wstring> text = ReadWindowText(target.window, session.sendTimeoutMs);
    if (!text) return Hung(target.window, session.sendTimeoutMs);
    return OkAnswer().Set("hwnd", HandleText(target.window)).Set("text", Utf8FromWide(*text));
}

JsonValue SetTextCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {"force"});
    Target target;
    Failure failure;
    size_t consumed = 0;
    if (!session.ResolveControl(arguments, 0, &target, &consumed, &failure)) return FailureAnswer(failure);
    std::vector<std::string> rest = Rest(arguments, consumed);
    if (rest.size() != 1) return FailureAnswer({"bad_command", "usage: set_text CONTROL TEXT [force]"});
    if (!Operable(target, arguments, &failure)) return FailureAnswer(failure);
    std::wstring text = WideFromUtf8(rest[0]);
    DWORD_PTR result = 0;
    // The control's change notification may open a window that waits for the
    // user; the text is set all the same, so a time-out only means "not settled".
    bool settled = SendMessageTimeoutW(target.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                       SMTO_NORMAL, session.settleTimeoutMs, &result) != 0;
    return OkAnswer().Set("hwnd", HandleText(target.window)).Set("settled", settled);
}

JsonValue TypeCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {"force"});
    Target target;
    Failure failure;
    size_t consumed = 0;
    if (!session.ResolveControl(arguments, 0, &target, &consumed, &failure)) return FailureAnswer(failure);
    std::vector<std::string> rest = Rest(arguments, consumed);
    if (rest.size() != 1) return FailureAnswer({"bad_command", "usage: type CONTROL TEXT [force]"});
    if (!Operable(target, arguments, &failure)) return FailureAnswer(failure);
    for (wchar_t unit : WideFromUtf8(rest[0])) {
        if (unit == L'\n') unit = L'\r';
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(target.window, WM_CHAR, unit, 1, SMTO_NORMAL, session.sendTimeoutMs, &result))
            return Hung(target.window, session.sendTimeoutMs);
    }
    return OkAnswer().Set("hwnd", HandleText(target.window));
}

JsonValue ItemsCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {});
    Target target;
    Failure failure;
    size_t consumed = 0;
    if (!session.ResolveControl(arguments, 0, &target, &consumed, &failure)) return FailureAnswer(failure);
    if (consumed != arguments.positional.size()) return FailureAnswer({"bad_command", "usage: items CONTROL"});
    if (!SameClass(target.window, L"ComboBox")) return FailureAnswer({"bad_command", "not a combo box"});
    std::vector<std::wstring> items;
    DWORD_PTR selected = 0;
    std::optional<std::wstring> text;
    if (!ComboItems(target.window, session.sendTimeoutMs, &items) ||
        !SendMessageTimeoutW(target.window, CB_GETCURSEL, 0, 0, SMTO_NORMAL, session.sendTimeoutMs, &selected) ||
        !(text = ReadWindowText(target.window, session.sendTimeoutMs)))
        return Hung(target.window, session.sendTimeoutMs);
    JsonValue list = JsonValue::Array();
    for (const std::wstring& item : items) list.Push(Utf8FromWide(item));
    return OkAnswer()
        .Set("hwnd", HandleText(target.window))
        .Set("items", std::move(list))
        .Set("selected", static_cast<int>(static_cast<LONG_PTR>(selected)))
        .Set("text", Utf8FromWide(*text));
}

JsonValue SelectCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {"force"});
    Target target;
    Failure failure;
    size_t consumed = 0;
    if (!session.ResolveControl(arguments, 0, &target, &consumed, &failure)) return FailureAnswer(failure);
    std::vector<std::string> rest = Rest(arguments, consumed);
    if (rest.size() != 1)
        return FailureAnswer({"bad_command", "usage: select CONTROL INDEX | select CONTROL \"ITEM\" [force]"});
    if (!SameClass(target.window, L"ComboBox")) return FailureAnswer({"bad_command", "not a combo box"});
    if (!Operable(target, arguments, &failure)) return FailureAnswer(failure);
    std::vector<std::wstring> items;
    if (!ComboItems(target.window, session.sendTimeoutMs, &items)) return Hung(target.window, session.sendTimeoutMs);
    // An unquoted number is an index; anything else is an item's text.
    int64_t index = -1;
    if (arguments.quoted[consumed] || !ParseNumber(rest[0], &index)) {
        std::wstring wanted = WideFromUtf8(rest[0]);
        index = -1;
        for (size_t i = 0; i < items.size() && index < 0; ++i)
            if (items[i] == wanted) index = static_cast<int64_t>(i);
        if (index < 0) return FailureAnswer({"not_found", "the combo box has no item '" + rest[0] + "'"});
    }
    if (index < 0 || index >= static_cast<int64_t>(items.size()))
        return FailureAnswer({"not_found", "no item " + std::to_string(index) + " (the combo box has " +
                                               std::to_string(items.size()) + ")"});
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target.window, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL,
                             session.sendTimeoutMs, &result))
        return Hung(target.window, session.sendTimeoutMs);
    // Tell the parent as the combo box does when a user picks an item.
    HWND parent = GetAncestor(target.window, GA_PARENT);
    WORD id = static_cast<WORD>(GetDlgCtrlID(target.window));
    SendNotifyMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(target.window));
    SendNotifyMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(target.window));
    bool settled = SettleThreadById(WindowThreadId(parent), parent, session.settleTimeoutMs);
    return OkAnswer()
        .Set("hwnd", HandleText(target.window))
        .Set("selected", static_cast<int>(index))
        .Set("text", Utf8FromWide(items[static_cast<size_t>(index)]))
        .Set("settled", settled);
}

JsonValue ClickCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {"mouse", "force"});
    Target target;
    Failure failure;
    size_t consumed = 0;
    if (!session.ResolveControl(arguments, 0, &target, &consumed, &failure)) return FailureAnswer(failure);
    if (consumed != arguments.positional.size())
        return FailureAnswer({"bad_command", "usage: click CONTROL [mouse] [force]"});
    if (!Operable(target, arguments, &failure)) return FailureAnswer(failure);
    std::string how;
    DWORD thread = WindowThreadId(target.window);
    if (arguments.Has("mouse")) {
        if (!MouseClick(target, !arguments.Has("force"), &failure)) return FailureAnswer(failure);
        how = "mouse";
        // Input is queued behind what the program is doing; let it reach the window.
        Sleep(100);
    } else if (SameClass(target.window, L"Button")) {
        // Sent without waiting: a click that opens a modal window or a message
        // box does not return until that closes.
        SendNotifyMessageW(target.window, BM_CLICK, 0, 0);
        how = "bm_click";
    } else {
        RECT client{};
        GetClientRect(target.window, &client);
        LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
        SendNotifyMessageW(target.window, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        SendNotifyMessageW(target.window, WM_LBUTTONUP, 0, centre);
        how = "button_messages";
    }
    // The click may close the control's window; any window of its thread will answer.
    bool settled = SettleThreadById(thread, target.window, session.settleTimeoutMs);
    return OkAnswer().Set("hwnd", HandleText(target.window)).Set("how", how).Set("settled", settled);
}

JsonValue WaitTextCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "timeout"}, {"contains"});
    Target target;
    Failure failure;
    size_t consumed = 0;
    if (!session.ResolveControl(arguments, 0, &target, &consumed, &failure)) return FailureAnswer(failure);
    std::vector<std::string> rest = Rest(arguments, consumed);
    if (rest.size() != 1)
        return FailureAnswer({"bad_command", "usage: wait_text CONTROL TEXT [contains] [timeout=MS]"});
    UINT timeout = session.TimeoutOption(arguments, session.waitTimeoutMs);
    std::wstring wanted = WideFromUtf8(rest[0]);
    std::wstring last;
    bool matched = WaitUntil(timeout, [&] {
        if (!IsWindow(target.window)) return false;
        std::optional<std::wstring> text = ReadWindowText(target.window, session.sendTimeoutMs);
        if (!text) return false;
        last = *text;
        return arguments.Has("contains") ? last.find(wanted) != std::wstring::npos : last == wanted;
    });
    if (!matched)
        return FailureAnswer({"timeout", "the text is still '" + Utf8FromWide(last) + "' after " +
                                             std::to_string(timeout) + " ms"})
            .Set("text", Utf8FromWide(last));
    return OkAnswer().Set("hwnd", HandleText(target.window)).Set("text", Utf8FromWide(last));
}

JsonValue WaitStateCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "timeout", "state"}, {});
    Target target;
    Failure failure;
    size_t consumed = 0;
    bool found = false;
    if (arguments.positional.size() == 1) found = session.ResolveWindow(arguments, 0, &target, &failure);
    else found = session.ResolveControl(arguments, 0, &target, &consumed, &failure);
    if (!found) return FailureAnswer(failure);
    std::string state = arguments.Option("state").value_or("");
    if (state != "visible" && state != "hidden" && state != "enabled" && state != "disabled")
        return FailureAnswer(
            {"bad_command", "usage: wait_state TARGET state=visible|hidden|enabled|disabled [timeout=MS]"});
    UINT timeout = session.TimeoutOption(arguments, session.waitTimeoutMs);
    bool reached = WaitUntil(timeout, [&] {
        if (!IsWindow(target.window)) return false;
        if (state == "visible") return ReallyVisible(target.window);
        if (state == "hidden") return !ReallyVisible(target.window);
        if (state == "enabled") return ReallyEnabled(target.window);
        return !ReallyEnabled(target.window);
    });
    if (!reached)
        return FailureAnswer({"timeout", HandleText(target.window) + " is not " + state + " after " +
                                             std::to_string(timeout) + " ms"});
    return OkAnswer().Set("hwnd", HandleText(target.window));
}

JsonValue SendCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {"post"});
    Target target;
    Failure failure;
    size_t consumed = 1;
    const std::vector<std::string>& positional = arguments.positional;
    // FORM COMPONENT MSG ... when the second word names a component of the form.
    bool component = false;
    if (positional.size() >= 3 && session.FormIdByName(positional[0])) {
        const TemplateForm* form = session.Template().FindForm(*session.FormIdByName(positional[0]));
        component = form && (form->FindByName(GbkFromUtf8(positional[1])) || positional[1][0] == '#');
    }
    bool found = component ? session.ResolveControl(arguments, 0, &target, &consumed, &failure)
                           : session.ResolveWindow(arguments, 0, &target, &failure);
    if (!found) return FailureAnswer(failure);
    std::vector<std::string> rest = Rest(arguments, consumed);
    if (rest.empty() || rest.size() > 3)
        return FailureAnswer({"bad_command", "usage: send TARGET MESSAGE [WPARAM [LPARAM]] [post]"});
    bool known = false;
    UINT message = MessageNumber(rest[0], &known);
    if (!known) return FailureAnswer({"bad_command", "unknown message " + rest[0]});
    int64_t wParam = 0, lParam = 0;
    if ((rest.size() > 1 && !ParseNumber(rest[1], &wParam)) || (rest.size() > 2 && !ParseNumber(rest[2], &lParam)))
        return FailureAnswer({"bad_command", "WPARAM and LPARAM are numbers"});
    if (arguments.Has("post")) {
        if (!PostMessageW(target.window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)))
            return FailureAnswer({"failed", "the message was not posted"});
        return OkAnswer().Set("hwnd", HandleText(target.window)).Set("message", message);
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target.window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                             SMTO_NORMAL, session.settleTimeoutMs, &result))
        return Hung(target.window, session.settleTimeoutMs);
    return OkAnswer()
        .Set("hwnd", HandleText(target.window))
        .Set("message", message)
        .Set("result", static_cast<long long>(static_cast<LONG_PTR>(result)));
}

JsonValue TrayRemoveCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {});
    Target target;
    Failure failure;
    if (arguments.positional.size() != 2 || !session.ResolveWindow(arguments, 0, &target, &failure))
        return FailureAnswer(arguments.positional.size() != 2 ? Failure{"bad_command", "usage: tray_remove WINDOW ID"}
                                                               : failure);
    int64_t id = 0;
    if (!ParseNumber(arguments.positional[1], &id)) return FailureAnswer({"bad_command", "the icon id is a number"});
    // As when the notification area restarts: the icon goes without its program being told.
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = target.window;
    icon.uID = static_cast<UINT>(id);
    if (!Shell_NotifyIconW(NIM_DELETE, &icon)) return FailureAnswer({"not_found", "the window has no such icon"});
    return OkAnswer().Set("hwnd", HandleText(target.window));
}

}  // namespace uidriver
