// Commands for message boxes: wait for one and read it, press one of its buttons.
#include <cwctype>

#include "common/ascii.h"
#include "tools/uidriver/command_handlers_win32.h"
#include "tools/uidriver/driver_session_win32.h"
#include "tools/uidriver/text_encoding_win32.h"
#include "tools/uidriver/window_queries_win32.h"

namespace uidriver {
namespace {

constexpr int kMessageTextId = 0xFFFF;

struct BoxButton {
    HWND window;
    int id;
    std::wstring text;  // without the & of its access key
};

bool IsMessageBox(HWND window) {
    return WindowClassName(window) == "#32770" && IsWindowVisible(window) && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD);
}

HWND FindMessageBox(DriverSession& session, const CommandArguments& arguments) {
    for (HWND window : TopLevelWindows())
        if (session.InScope(window, arguments) && IsMessageBox(window)) return window;
    return nullptr;
}

std::wstring WithoutAccessKey(std::wstring text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

std::vector<BoxButton> Buttons(HWND box) {
    std::vector<BoxButton> buttons;
    for (HWND child : DescendantWindows(box)) {
        if (WindowClassName(child) != "Button" || !IsWindowVisible(child)) continue;
        buttons.push_back({child, GetDlgCtrlID(child), WithoutAccessKey(StoredWindowText(child))});
    }
    return buttons;
}

// The message: the text control of the box, or failing that its longest static text.
std::wstring MessageText(HWND box, UINT timeoutMs) {
    std::wstring best;
    for (HWND child : DescendantWindows(box)) {
        if (WindowClassName(child) != "Static") continue;
        std::wstring text = ReadWindowText(child, timeoutMs).value_or(StoredWindowText(child));
        if (GetDlgCtrlID(child) == kMessageTextId) return text;
        if (text.size() > best.size()) best = text;
    }
    return best;
}

JsonValue DescribeBox(HWND box, UINT timeoutMs) {
    JsonValue buttons = JsonValue::Array();
    for (const BoxButton& button : Buttons(box))
        buttons.Push(JsonValue::Object().Set("id", button.id).Set("text", Utf8FromWide(button.text)));
    return OkAnswer()
        .Set("hwnd", HandleText(box))
        .Set("pid", static_cast<unsigned long>(WindowProcessId(box)))
        .Set("title", Utf8FromWide(StoredWindowText(box)))
        .Set("text", Utf8FromWide(MessageText(box, timeoutMs)))
        .Set("buttons", std::move(buttons));
}

// Standard button names work whatever language the buttons are labelled in.
int StandardButtonId(std::string name) {
    for (char& c : name) c = common::ToLowerAscii(c);
    static const struct {
        const char* name;
        int id;
    } kIds[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},       {"retry", IDRETRY},
                {"ignore", IDIGNORE}, {"yes", IDYES},     {"no", IDNO},             {"close", IDCLOSE},
                {"help", IDHELP},   {"tryagain", IDTRYAGAIN}, {"continue", IDCONTINUE}};
    for (const auto& entry : kIds)
        if (name == entry.name) return entry.id;
    return 0;
}

}  // namespace

JsonValue MessageBoxCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "timeout"}, {});
    if (!arguments.positional.empty()) return FailureAnswer({"bad_command", "usage: message_box [timeout=MS]"});
    UINT timeout = session.TimeoutOption(arguments, session.waitTimeoutMs);
    HWND box = nullptr;
    if (!WaitUntil(timeout, [&] { return (box = FindMessageBox(session, arguments)) != nullptr; }))
        return FailureAnswer({"timeout", "no message box within " + std::to_string(timeout) + " ms (" +
                                             session.ScopeText() + ")" + session.EndedProcessesText()});
    return DescribeBox(box, session.sendTimeoutMs);
}

JsonValue PressCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "timeout", "box"}, {});
    if (arguments.positional.size() != 1)
        return FailureAnswer({"bad_command", "usage: press BUTTON [box=HWND] [timeout=MS]  (BUTTON: ok, yes, ..., "
                                             "a button's text or its id)"});
    UINT timeout = session.TimeoutOption(arguments, session.waitTimeoutMs);
    HWND box = nullptr;
    if (auto handle = arguments.Option("box")) {
        int64_t number = 0;
        if (!ParseNumber(*handle, &number)) return FailureAnswer({"bad_command", "box is a window handle"});
        box = reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
        if (!IsWindow(box)) return FailureAnswer({"not_found", "no window " + *handle});
    } else if (!WaitUntil(timeout, [&] { return (box = FindMessageBox(session, arguments)) != nullptr; })) {
        return FailureAnswer({"timeout", "no message box within " + std::to_string(timeout) + " ms"});
    }
    const std::string& wanted = arguments.positional[0];
    std::vector<BoxButton> buttons = Buttons(box);
    const BoxButton* chosen = nullptr;
    int standard = StandardButtonId(wanted);
    int64_t number = 0;
    bool numeric = ParseNumber(wanted, &number);
    std::wstring wideWanted = WideFromUtf8(wanted);
    for (const BoxButton& button : buttons) {
        if ((standard && button.id == standard) || (numeric && button.id == number) ||
            _wcsicmp(button.text.c_str(), wideWanted.c_str()) == 0) {
            chosen = &button;
            break;
        }
    }
    if (!chosen) {
        std::string names;
        for (const BoxButton& button : buttons)
            names += (names.empty() ? "" : ", ") + Utf8FromWide(button.text) + " (" + std::to_string(button.id) + ")";
        return FailureAnswer({"not_found", "the message box has no button " + wanted + "; it has " + names});
    }
    DWORD thread = WindowThreadId(box);
    HWND owner = GetWindow(box, GW_OWNER);
    int id = chosen->id;
    std::string text = Utf8FromWide(chosen->text);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(chosen->window));
    if (!WaitUntil(timeout, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
        return FailureAnswer({"timeout", "the message box is still open " + std::to_string(timeout) + " ms after " +
                                             wanted + " was pressed"});
    // The code that showed the box carries on now; answer once it has.
    bool settled = SettleThreadById(thread, owner, session.settleTimeoutMs);
    return OkAnswer().Set("pressed", id).Set("text", text).Set("settled", settled);
}

}  // namespace uidriver
