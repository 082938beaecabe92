#include "tools/uidriver/driver_session_win32.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "launcher/form_ids.h"
#include "tools/uidriver/command_handlers_win32.h"
#include "tools/uidriver/form_matcher.h"
#include "tools/uidriver/text_encoding_win32.h"
#include "tools/uidriver/window_queries_win32.h"

namespace uidriver {
namespace {

JsonValue TemplateCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {}, {});
    if (arguments.positional.size() != 1) return FailureAnswer({"bad_command", "usage: template PATH"});
    Failure failure;
    if (!session.LoadTemplate(arguments.positional[0], &failure)) return FailureAnswer(failure);
    return OkAnswer().Set("forms", static_cast<int>(session.Template().Forms().size()));
}

JsonValue FormNameCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {}, {});
    if (arguments.positional.size() != 1) return FailureAnswer({"bad_command", "usage: form NAME=ID"});
    Failure failure;
    if (!session.AddFormName(arguments.positional[0], &failure)) return FailureAnswer(failure);
    return OkAnswer();
}

JsonValue AbsentTypeCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {}, {});
    if (arguments.positional.empty()) return FailureAnswer({"bad_command", "usage: absent_type TYPE..."});
    Failure failure;
    for (const std::string& type : arguments.positional)
        if (!session.AddAbsentType(type, &failure)) return FailureAnswer(failure);
    return OkAnswer();
}

JsonValue SetCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"timeout", "send_timeout", "settle_timeout"}, {});
    if (!arguments.positional.empty())
        return FailureAnswer({"bad_command", "usage: set [timeout=MS] [send_timeout=MS] [settle_timeout=MS]"});
    session.waitTimeoutMs = session.TimeoutOption(arguments, session.waitTimeoutMs);
    if (auto value = arguments.Option("send_timeout")) {
        int64_t number = 0;
        if (!ParseNumber(*value, &number) || number < 0) return FailureAnswer({"bad_command", "bad send_timeout"});
        session.sendTimeoutMs = static_cast<UINT>(number);
    }
    if (auto value = arguments.Option("settle_timeout")) {
        int64_t number = 0;
        if (!ParseNumber(*value, &number) || number < 0) return FailureAnswer({"bad_command", "bad settle_timeout"});
        session.settleTimeoutMs = static_cast<UINT>(number);
    }
    return OkAnswer()
        .Set("timeout", session.waitTimeoutMs)
        .Set("send_timeout", session.sendTimeoutMs)
        .Set("settle_timeout", session.settleTimeoutMs);
}

JsonValue SleepCommand(DriverSession&, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {}, {});
    int64_t milliseconds = 0;
    if (arguments.positional.size() != 1 || !ParseNumber(arguments.positional[0], &milliseconds) ||
        milliseconds < 0 || milliseconds > 600000)
        return FailureAnswer({"bad_command", "usage: sleep MS (at most 600000)"});
    Sleep(static_cast<DWORD>(milliseconds));
    return OkAnswer();
}

JsonValue HelpCommand(DriverSession&, const std::vector<CommandToken>&);

constexpr CommandEntry kCommands[] = {
    {"windows", WindowsCommand},
    {"controls", ControlsCommand},
    {"find", FindCommand},
    {"focus", FocusCommand},
    {"forms", FormsCommand},
    {"wait_window", WaitWindowCommand},
    {"wait_gone", WaitGoneCommand},
    {"close", CloseCommand},
    {"capture", CaptureCommand},
    {"repaint", RepaintCommand},
    {"text", TextCommand},
    {"set_text", SetTextCommand},
    {"type", TypeCommand},
    {"items", ItemsCommand},
    {"select", SelectCommand},
    {"click", ClickCommand},
    {"wait_text", WaitTextCommand},
    {"wait_state", WaitStateCommand},
    {"send", SendCommand},
    {"tray_remove", TrayRemoveCommand},
    {"message_box", MessageBoxCommand},
    {"press", PressCommand},
    {"start", StartCommand},
    {"exit_code", ExitCodeCommand},
    {"kill", KillCommand},
    {"memory", MemoryCommand},
    {"processes", ProcessesCommand},
    {"scope", ScopeCommand},
    {"template", TemplateCommand},
    {"form", FormNameCommand},
    {"absent_type", AbsentTypeCommand},
    {"set", SetCommand},
    {"sleep", SleepCommand},
    {"help", HelpCommand},
};

JsonValue HelpCommand(DriverSession&, const std::vector<CommandToken>&) {
    JsonValue names = JsonValue::Array();
    for (const CommandEntry& entry : kCommands) names.Push(entry.name);
    names.Push("quit");
    return OkAnswer().Set("commands", std::move(names));
}

struct LauncherForm {
    const char* name;
    uint32_t id;
};

constexpr LauncherForm kLauncherForms[] = {
    {"MainWindow", launcher::main_window::kForm},
    {"ShopLoginWindow", launcher::shop_login_window::kForm},
    {"RegisterWindow", launcher::register_window::kForm},
    {"PlayerWindow", launcher::player_window::kForm},
    {"LuckyDrawWindow", launcher::lucky_draw_window::kForm},
};

bool IsWindowHandleText(const std::string& text, HWND* window) {
    int64_t number = 0;
    if (!ParseNumber(text, &number) || number <= 0 || number > 0xFFFFFFFFll) return false;
    *window = reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
    return true;
}

}  // namespace

JsonValue FailureAnswer(const Failure& failure) {
    return JsonValue::Object().Set("ok", false).Set("error", failure.code).Set("message", failure.message);
}

JsonValue OkAnswer() { return JsonValue::Object().Set("ok", true); }

DriverSession::DriverSession() {
    for (const LauncherForm& form : kLauncherForms) formNames_[form.name] = form.id;
}

DriverSession::~DriverSession() {
    if (!keepProcesses) EndStartedProcesses();
    for (auto& entry : started_) CloseHandle(entry.second);
}

JsonValue DriverSession::Run(const std::string& line, bool* quit) {
    std::vector<CommandToken> tokens;
    std::string error;
    if (!SplitCommandLine(line, &tokens, &error)) return FailureAnswer({"bad_command", error});
    return RunTokens(tokens, quit);
}

JsonValue DriverSession::RunTokens(const std::vector<CommandToken>& tokens, bool* quit) {
    if (tokens.empty()) return FailureAnswer({"bad_command", "empty command"});
    const std::string& name = tokens[0].text;
    std::vector<CommandToken> words(tokens.begin() + 1, tokens.end());
    if (name == "quit") {
        CommandArguments arguments = SortArguments(words, {}, {"keep"});
        if (arguments.Has("keep")) keepProcesses = true;
        *quit = true;
        return OkAnswer();
    }
    // A mistyped time-out must not quietly become the default one.
    for (const CommandToken& word : words) {
        if (word.quoted) continue;
        for (const char* numeric : {"timeout=", "pid=", "code="}) {
            std::string_view text(word.text);
            if (text.substr(0, std::strlen(numeric)) != numeric) continue;
            std::string_view value = text.substr(std::strlen(numeric));
            int64_t number = 0;
            if (!(value == "all" && text[0] == 'p') && !ParseNumber(value, &number))
                return FailureAnswer({"bad_command", "bad value in " + word.text});
        }
    }
    for (const CommandEntry& entry : kCommands)
        if (name == entry.name) return entry.handler(*this, words);
    return FailureAnswer({"bad_command", "unknown command '" + name + "' (try help)"});
}

bool DriverSession::LoadTemplate(const std::string& utf8Path, Failure* failure) {
    std::ifstream file(WindowsPath(utf8Path).c_str(), std::ios::binary);
    if (!file) {
        *failure = {"not_found", "cannot open template " + utf8Path};
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TemplateMap map;
    rt::ReadStatus status = TemplateMap::Read(bytes.data(), bytes.size(), &map, absentTypes_);
    if (status != rt::ReadStatus::kOk) {
        *failure = {"bad_template", utf8Path + ": " + rt::ReadStatusText(status)};
        return false;
    }
    template_ = std::move(map);
    templatePath_ = utf8Path;
    return true;
}

bool DriverSession::AddAbsentType(const std::string& type, Failure* failure) {
    uint32_t reference = 0;
    if (!ParseTypeReference(type, &reference)) {
        *failure = {"bad_command", "a component type is LIB:INDEX (2:1) or a type name (image_button), not '" + type +
                                       "'"};
        return false;
    }
    absentTypes_.insert(reference);
    return templatePath_.empty() || LoadTemplate(templatePath_, failure);
}

bool DriverSession::AddFormName(const std::string& definition, Failure* failure) {
    size_t equals = definition.find('=');
    int64_t id = 0;
    if (equals == std::string::npos || equals == 0 || !ParseNumber(definition.substr(equals + 1), &id) || id <= 0 ||
        id > 0xFFFFFFFFll) {
        *failure = {"bad_command", "a form name is NAME=ID, not '" + definition + "'"};
        return false;
    }
    formNames_[definition.substr(0, equals)] = static_cast<uint32_t>(id);
    return true;
}

void DriverSession::EndStartedProcesses() {
    // Children first would leave orphans if the parent restarts them; end the
    // started ones, then whatever they started that is still there.
    std::set<DWORD> ended;
    for (auto& entry : started_) {
        if (WaitForSingleObject(entry.second, 0) == WAIT_TIMEOUT) TerminateProcess(entry.second, 1);
        ended.insert(entry.first);
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    std::vector<std::pair<DWORD, DWORD>> processes;  // id, parent
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        processes.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    CloseHandle(snapshot);
    bool grew = true;
    while (grew) {
        grew = false;
        for (auto& [id, parent] : processes) {
            if (ended.count(parent) && !ended.count(id)) {
                if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
                    TerminateProcess(process, 1);
                    CloseHandle(process);
                }
                ended.insert(id);
                grew = true;
            }
        }
    }
}

std::string DriverSession::FormName(uint32_t formId) const {
    for (const auto& [name, id] : formNames_)
        if (id == formId) return name;
    return HexWord(formId);
}

std::optional<uint32_t> DriverSession::FormIdByName(const std::string& name) const {
    auto found = formNames_.find(name);
    if (found != formNames_.end()) return found->second;
    int64_t number = 0;
    if (ParseNumber(name, &number) && number > 0 && number <= 0xFFFFFFFFll &&
        template_.FindForm(static_cast<uint32_t>(number)))
        return static_cast<uint32_t>(number);
    return std::nullopt;
}

bool DriverSession::InScope(HWND window, const CommandArguments& arguments) const {
    DWORD processId = WindowProcessId(window);
    if (processId == GetCurrentProcessId()) return false;
    if (auto pid = arguments.Option("pid")) {
        if (*pid == "all") return true;
        int64_t number = 0;
        if (ParseNumber(*pid, &number)) return processId == static_cast<DWORD>(number);
    }
    switch (scopeKind_) {
        case ScopeKind::kAll: return true;
        case ScopeKind::kListed: return scopeIds_.count(processId) != 0;
        case ScopeKind::kStarted: break;
    }
    return started_.empty() || started_.count(processId) != 0;
}

std::string DriverSession::ScopeText() const {
    std::set<DWORD> ids = scopeIds_;
    if (scopeKind_ == ScopeKind::kAll || (scopeKind_ == ScopeKind::kStarted && started_.empty()))
        return "all processes";
    if (scopeKind_ == ScopeKind::kStarted)
        for (const auto& entry : started_) ids.insert(entry.first);
    std::string text;
    for (DWORD id : ids) text += (text.empty() ? "process " : ", ") + std::to_string(id);
    return text.empty() ? "no process" : text;
}

std::string DriverSession::EndedProcessesText() const {
    std::string text;
    for (const auto& [id, process] : started_) {
        DWORD code = 0;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code))
            text += "; process " + std::to_string(id) + " ended with code " + std::to_string(static_cast<int>(code));
    }
    return text;
}

const TemplateForm* DriverSession::FormOfWindow(HWND window) const {
    if (template_.Empty() || (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) return nullptr;
    return IdentifyForm(template_, ObserveWindow(window));
}

std::vector<HWND> DriverSession::FormWindows(uint32_t formId, const CommandArguments& arguments) const {
    std::vector<HWND> found;
    for (HWND window : TopLevelWindows()) {
        if (!InScope(window, arguments)) continue;
        const TemplateForm* form = FormOfWindow(window);
        if (form && form->id == formId) found.push_back(window);
    }
    std::stable_partition(found.begin(), found.end(), [](HWND window) { return IsWindowVisible(window) != FALSE; });
    return found;
}

bool DriverSession::ResolveWindow(const CommandArguments& arguments, size_t index, Target* target,
                                  Failure* failure) const {
    if (index >= arguments.positional.size()) {
        *failure = {"bad_command", "a window is missing (form name, form id or window handle)"};
        return false;
    }
    const std::string& word = arguments.positional[index];
    if (std::optional<uint32_t> formId = FormIdByName(word)) {
        const TemplateForm* form = template_.FindForm(*formId);
        if (!form) {
            *failure = {"not_found", "form " + word + " is not in the template" +
                                         (template_.Empty() ? " (no template loaded)" : "")};
            return false;
        }
        std::vector<HWND> windows = FormWindows(*formId, arguments);
        if (windows.empty()) {
            *failure = {"not_found", "no window shows form " + word + " (" + ScopeText() + ")"};
            return false;
        }
        *target = Target{windows.front(), windows.front(), form, nullptr};
        return true;
    }
    HWND window = nullptr;
    if (!IsWindowHandleText(word, &window)) {
        *failure = {"not_found", "'" + word + "' is neither a form name nor a window handle"};
        return false;
    }
    if (!IsWindow(window)) {
        *failure = {"not_found", "no window " + word};
        return false;
    }
    HWND root = GetAncestor(window, GA_ROOT);
    *target = Target{window, root, FormOfWindow(root), nullptr};
    return true;
}

bool DriverSession::ResolveControl(const CommandArguments& arguments, size_t index, Target* target, size_t* consumed,
                                   Failure* failure) const {
    if (index >= arguments.positional.size()) {
        *failure = {"bad_command", "a control is missing (FORM COMPONENT, FORM #ID or a handle)"};
        return false;
    }
    HWND handle = nullptr;
    const std::string& first = arguments.positional[index];
    if (!FormIdByName(first) && IsWindowHandleText(first, &handle)) {
        if (!ResolveWindow(arguments, index, target, failure)) return false;
        if (target->form) target->unit = target->form->FindByControlId(GetDlgCtrlID(target->window));
        *consumed = 1;
        return true;
    }
    Target window;
    if (!ResolveWindow(arguments, index, &window, failure)) return false;
    if (index + 1 >= arguments.positional.size()) {
        *failure = {"bad_command", "a component name is missing after " + first};
        return false;
    }
    const std::string& component = arguments.positional[index + 1];
    int controlId = 0;
    const TemplateUnit* unit = nullptr;
    if (component.size() > 1 && component[0] == '#') {
        int64_t number = 0;
        if (!ParseNumber(component.substr(1), &number)) {
            *failure = {"bad_command", "bad control id " + component};
            return false;
        }
        controlId = static_cast<int>(number);
        if (window.form) unit = window.form->FindByControlId(controlId);
    } else {
        if (!window.form) {
            *failure = {"not_found", first + " is not a window of a template form; name its control by #ID"};
            return false;
        }
        unit = window.form->FindByName(GbkFromUtf8(component));
        if (!unit) {
            *failure = {"not_found", "form " + FormName(window.form->id) + " has no component " + component};
            return false;
        }
        if (unit->controlId <= 0) {
            *failure = {"not_found", component + " has no window of its own"};
            return false;
        }
        controlId = unit->controlId;
    }
    for (HWND child : DescendantWindows(window.topLevel)) {
        if (GetDlgCtrlID(child) != controlId) continue;
        *target = Target{child, window.topLevel, window.form, unit};
        *consumed = 2;
        return true;
    }
    *failure = {"not_found", "no control " + component + " (id " + std::to_string(controlId) + ") in window " +
                                 HandleText(window.topLevel)};
    return false;
}

UINT DriverSession::TimeoutOption(const CommandArguments& arguments, UINT fallback) const {
    auto value = arguments.Option("timeout");
    int64_t number = 0;
    if (!value || !ParseNumber(*value, &number) || number < 0) return fallback;
    return static_cast<UINT>(std::min<int64_t>(number, 600000));
}

}  // namespace uidriver
