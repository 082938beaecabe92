// Commands that list, find, wait for, close and capture windows.
#include <cstdio>

#include "common/bmp_file.h"
#include "tools/uidriver/command_handlers_win32.h"
#include "tools/uidriver/driver_session_win32.h"
#include "tools/uidriver/screen_capture_win32.h"
#include "tools/uidriver/text_encoding_win32.h"
#include "tools/uidriver/window_queries_win32.h"

namespace uidriver {
namespace {

// A window with what the template says of it.
JsonValue DescribeTarget(DriverSession& session, const Target& target, JsonValue into = JsonValue::Object()) {
    JsonValue out = DescribeWindow(target.window, session.sendTimeoutMs, std::move(into));
    if (target.form) out.Set("form", session.FormName(target.form->id));
    if (target.unit) {
        out.Set("name", Utf8FromGbk(target.unit->name));
        out.Set("type", TypeName(target.unit->typeReference));
    }
    return out;
}

std::string UnitName(const TemplateForm& form, uint32_t unitId) {
    for (const TemplateUnit& unit : form.units)
        if (unit.unitId == unitId) return Utf8FromGbk(unit.name);
    return HexWord(unitId);
}

}  // namespace

JsonValue WindowsCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {"all"});
    if (!arguments.positional.empty()) return FailureAnswer({"bad_command", "usage: windows [pid=ID|all] [all]"});
    JsonValue list = JsonValue::Array();
    for (HWND window : TopLevelWindows()) {
        if (!session.InScope(window, arguments)) continue;
        if (!arguments.Has("all") && !IsWindowVisible(window)) continue;
        JsonValue entry = DescribeWindow(window, session.sendTimeoutMs);
        if (const TemplateForm* form = session.FormOfWindow(window)) entry.Set("form", session.FormName(form->id));
        list.Push(std::move(entry));
    }
    return OkAnswer().Set("windows", std::move(list));
}

JsonValue ControlsCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {});
    Target window;
    Failure failure;
    if (arguments.positional.size() != 1 || !session.ResolveWindow(arguments, 0, &window, &failure))
        return FailureAnswer(arguments.positional.size() != 1 ? Failure{"bad_command", "usage: controls WINDOW"}
                                                               : failure);
    JsonValue list = JsonValue::Array();
    for (HWND child : DescendantWindows(window.window)) {
        Target control{child, window.topLevel, window.form, nullptr};
        if (window.form) control.unit = window.form->FindByControlId(GetDlgCtrlID(child));
        JsonValue entry = DescribeTarget(session, control);
        entry.Set("parent", HandleText(GetAncestor(child, GA_PARENT)));
        list.Push(std::move(entry));
    }
    JsonValue answer = OkAnswer().Set("hwnd", HandleText(window.window));
    if (window.form) answer.Set("form", session.FormName(window.form->id));
    return answer.Set("controls", std::move(list));
}

JsonValue FindCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {});
    Target target;
    Failure failure;
    size_t consumed = 0;
    bool found = false;
    if (arguments.positional.size() == 2) found = session.ResolveControl(arguments, 0, &target, &consumed, &failure);
    else if (arguments.positional.size() == 1) found = session.ResolveWindow(arguments, 0, &target, &failure);
    else failure = {"bad_command", "usage: find WINDOW [COMPONENT]"};
    if (!found) return FailureAnswer(failure);
    return DescribeTarget(session, target, OkAnswer());
}

JsonValue FocusCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {});
    Target window;
    Failure failure;
    if (arguments.positional.size() != 1 || !session.ResolveWindow(arguments, 0, &window, &failure))
        return FailureAnswer(arguments.positional.size() != 1 ? Failure{"bad_command", "usage: focus WINDOW"} : failure);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(WindowThreadId(window.window), &info))
        return FailureAnswer({"failed", "the window's thread could not be asked"});
    if (!info.hwndFocus) return FailureAnswer({"not_found", "no window of that thread has the keyboard focus"});
    // The focus may sit in a part of a component (the edit field of a combo box): name the component.
    Target focused{info.hwndFocus, GetAncestor(info.hwndFocus, GA_ROOT), nullptr, nullptr};
    if (focused.topLevel == window.window && window.form) {
        focused.form = window.form;
        for (HWND part = info.hwndFocus; part && part != window.window && !focused.unit;
             part = GetAncestor(part, GA_PARENT))
            focused.unit = window.form->FindByControlId(GetDlgCtrlID(part));
    }
    return DescribeTarget(session, focused, OkAnswer());
}

JsonValue FormsCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {}, {});
    JsonValue list = JsonValue::Array();
    for (const TemplateForm& form : session.Template().Forms()) {
        std::string name = session.FormName(form.id);
        if (!arguments.positional.empty() && arguments.positional[0] != name) continue;
        JsonValue components = JsonValue::Array();
        for (size_t i = 1; i < form.units.size(); ++i) {
            const TemplateUnit& unit = form.units[i];
            JsonValue entry = JsonValue::Object();
            entry.Set("name", Utf8FromGbk(unit.name));
            entry.Set("unit", HexWord(unit.unitId));
            entry.Set("type", TypeName(unit.typeReference));
            entry.Set("id", unit.controlId);
            if (unit.controlId >= 0) {
                entry.Set("x", unit.left).Set("y", unit.top).Set("w", unit.width).Set("h", unit.height);
                entry.Set("visible", unit.visible);
                if (unit.parentUnitId) entry.Set("parent", UnitName(form, unit.parentUnitId));
            }
            components.Push(std::move(entry));
        }
        list.Push(JsonValue::Object()
                      .Set("form", name)
                      .Set("id", HexWord(form.id))
                      .Set("w", form.units[0].width)
                      .Set("h", form.units[0].height)
                      .Set("components", std::move(components)));
    }
    return OkAnswer().Set("forms", std::move(list));
}

JsonValue WaitWindowCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "timeout", "state"}, {});
    if (arguments.positional.size() != 1)
        return FailureAnswer({"bad_command", "usage: wait_window WINDOW [state=visible|hidden|any] [timeout=MS]"});
    std::string state = arguments.Option("state").value_or("visible");
    if (state != "visible" && state != "hidden" && state != "any")
        return FailureAnswer({"bad_command", "state is visible, hidden or any"});
    UINT timeout = session.TimeoutOption(arguments, session.waitTimeoutMs);
    Target target;
    Failure failure;
    bool ready = WaitUntil(timeout, [&] {
        if (!session.ResolveWindow(arguments, 0, &target, &failure)) return false;
        bool visible = IsWindowVisible(target.window) != FALSE;
        return state == "any" || visible == (state == "visible");
    });
    if (!ready) {
        if (failure.code == "bad_command") return FailureAnswer(failure);
        return FailureAnswer({"timeout", "no " + state + " window " + arguments.positional[0] + " within " +
                                             std::to_string(timeout) + " ms (" + session.ScopeText() + ")" +
                                             session.EndedProcessesText()});
    }
    return DescribeTarget(session, target, OkAnswer());
}

JsonValue WaitGoneCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "timeout"}, {"hidden"});
    if (arguments.positional.size() != 1)
        return FailureAnswer({"bad_command", "usage: wait_gone WINDOW [hidden] [timeout=MS]"});
    UINT timeout = session.TimeoutOption(arguments, session.waitTimeoutMs);
    bool hiddenCounts = arguments.Has("hidden");
    // A handle names one window; a form name any window that shows the form.
    Target first;
    Failure failure;
    bool isForm = session.FormIdByName(arguments.positional[0]).has_value();
    if (!isForm && !session.ResolveWindow(arguments, 0, &first, &failure)) {
        if (failure.code == "not_found") return OkAnswer();
        return FailureAnswer(failure);
    }
    bool gone = WaitUntil(timeout, [&] {
        if (isForm) {
            for (HWND window : session.FormWindows(*session.FormIdByName(arguments.positional[0]), arguments))
                if (!hiddenCounts || IsWindowVisible(window)) return false;
            return true;
        }
        return !IsWindow(first.window) || (hiddenCounts && !IsWindowVisible(first.window));
    });
    if (!gone)
        return FailureAnswer({"timeout", arguments.positional[0] + " still there after " + std::to_string(timeout) +
                                             " ms"});
    return OkAnswer();
}

JsonValue CloseCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid"}, {});
    Target target;
    Failure failure;
    if (arguments.positional.size() != 1) return FailureAnswer({"bad_command", "usage: close WINDOW"});
    if (!session.ResolveWindow(arguments, 0, &target, &failure)) return FailureAnswer(failure);
    DWORD thread = WindowThreadId(target.topLevel);
    if (!PostMessageW(target.topLevel, WM_CLOSE, 0, 0)) return FailureAnswer({"failed", "WM_CLOSE was not posted"});
    // Posted messages come after sent ones: give the close a moment before asking.
    Sleep(50);
    bool settled = SettleThreadById(thread, target.topLevel, session.settleTimeoutMs);
    return OkAnswer().Set("hwnd", HandleText(target.topLevel)).Set("settled", settled);
}

JsonValue CaptureCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "method"}, {"client", "noraise"});
    if (arguments.positional.size() != 2)
        return FailureAnswer(
            {"bad_command", "usage: capture WINDOW PATH [method=screen|window] [client] [noraise]"});
    std::string methodName = arguments.Option("method").value_or("screen");
    CaptureMethod method = CaptureMethod::kScreen;
    if (methodName == "window") method = CaptureMethod::kWindow;
    else if (methodName != "screen") return FailureAnswer({"bad_command", "method is screen or window"});
    Target target;
    Failure failure;
    if (!session.ResolveWindow(arguments, 0, &target, &failure)) return FailureAnswer(failure);
    if (method == CaptureMethod::kScreen && !arguments.Has("noraise")) {
        // What lies on top of the window would be in the picture: lift it first.
        SetWindowPos(target.topLevel, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        SettleThread(target.topLevel, session.settleTimeoutMs);
        Sleep(100);
    }
    CapturedImage image;
    if (!CaptureWindow(target.window, method, arguments.Has("client"), &image))
        return FailureAnswer({"failed", "the window could not be captured"});
    std::vector<uint8_t> file = common::EncodeBmp24(image.width, image.height, image.pixels.data(), common::kScreenPixelsPerMetre);
    std::wstring path = WindowsPath(arguments.positional[1]);
    FILE* out = _wfopen(path.c_str(), L"wb");
    bool written = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written) return FailureAnswer({"failed", "cannot write " + arguments.positional[1]});
    return OkAnswer()
        .Set("hwnd", HandleText(target.window))
        .Set("path", arguments.positional[1])
        .Set("w", image.width)
        .Set("h", image.height);
}

JsonValue RepaintCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"pid", "timeout"}, {});
    if (arguments.positional.size() != 1) return FailureAnswer({"bad_command", "usage: repaint WINDOW [timeout=MS]"});
    Target target;
    Failure failure;
    if (!session.ResolveWindow(arguments, 0, &target, &failure)) return FailureAnswer(failure);
    UINT timeout = session.TimeoutOption(arguments, session.waitTimeoutMs);
    // Everything is marked for painting; only the program's own loop can paint it again.
    RedrawWindow(target.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    ULONGLONG start = GetTickCount64();
    bool painted = WaitUntil(timeout, [&] {
        if (GetUpdateRect(target.window, nullptr, FALSE)) return false;
        for (HWND child : DescendantWindows(target.window))
            if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) return false;
        return true;
    });
    if (!painted)
        return FailureAnswer({"timeout", arguments.positional[0] + " was not repainted within " +
                                             std::to_string(timeout) + " ms"});
    return OkAnswer()
        .Set("hwnd", HandleText(target.window))
        .Set("milliseconds", static_cast<unsigned long>(GetTickCount64() - start));
}

}  // namespace uidriver
