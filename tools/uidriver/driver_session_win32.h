// One driver session: the template and form names it resolves targets with,
// the processes it started, the window scope and the time-outs, and the
// command table that turns one command line into one answer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/uidriver/command_arguments.h"
#include "tools/uidriver/command_tokens.h"
#include "tools/uidriver/json_value.h"
#include "tools/uidriver/template_map.h"

namespace uidriver {

// A command that cannot be done: a short code a test can test ("timeout",
// "not_found", ...) and a sentence for people.
struct Failure {
    std::string code;
    std::string message;
};

JsonValue FailureAnswer(const Failure& failure);
JsonValue OkAnswer();

// A component or window found by a target.
struct Target {
    HWND window = nullptr;      // the control, or the top-level window
    HWND topLevel = nullptr;
    const TemplateForm* form = nullptr;
    const TemplateUnit* unit = nullptr;  // null for the window itself
};

class DriverSession {
public:
    DriverSession();
    ~DriverSession();

    // Runs one command line and gives its answer; `quit` is set by the quit command.
    JsonValue Run(const std::string& line, bool* quit);
    JsonValue RunTokens(const std::vector<CommandToken>& tokens, bool* quit);

    bool LoadTemplate(const std::string& utf8Path, Failure* failure);
    bool AddFormName(const std::string& definition, Failure* failure);  // NAME=ID
    // A component type the program does not carry (its units get no window,
    // and the ids of the others shift); re-reads a loaded template.
    bool AddAbsentType(const std::string& type, Failure* failure);

    UINT waitTimeoutMs = 5000;   // waits without timeout=
    UINT sendTimeoutMs = 3000;   // each message to another program
    UINT settleTimeoutMs = 5000; // after an action, for its handler to finish
    bool keepProcesses = false;  // leave started programs running at the end

    // Ends the programs this session started (and what they started).
    void EndStartedProcesses();

    // --- shared by the command handlers ---
    const TemplateMap& Template() const { return template_; }
    std::string FormName(uint32_t formId) const;
    std::optional<uint32_t> FormIdByName(const std::string& name) const;
    // Windows of the processes in scope (pid= option, or the session scope).
    bool InScope(HWND window, const CommandArguments& arguments) const;
    // Whose windows commands look at: the started processes (all processes
    // while none was started), every process, or the listed ones.
    enum class ScopeKind { kStarted, kAll, kListed };
    void SetScope(ScopeKind kind, std::set<DWORD> processIds = {}) {
        scopeKind_ = kind;
        scopeIds_ = std::move(processIds);
    }
    std::string ScopeText() const;
    // "; process 12 ended with code 1" for each started process that has
    // ended: why a wait for its window can never succeed.
    std::string EndedProcessesText() const;
    // The form a top-level window shows, or null.
    const TemplateForm* FormOfWindow(HWND window) const;
    // Top-level windows in scope that show the form, visible ones first.
    std::vector<HWND> FormWindows(uint32_t formId, const CommandArguments& arguments) const;
    // positional[index] (and [index + 1] for a component name) to a target.
    // A window target is a form name, a form id or a window handle; a
    // component target adds a component name or #controlId, or is a
    // control's handle on its own. `consumed` says how many words it took.
    bool ResolveWindow(const CommandArguments& arguments, size_t index, Target* target, Failure* failure) const;
    bool ResolveControl(const CommandArguments& arguments, size_t index, Target* target, size_t* consumed,
                        Failure* failure) const;
    UINT TimeoutOption(const CommandArguments& arguments, UINT fallback) const;

    // Processes started here: id -> process handle.
    std::map<DWORD, HANDLE>& Started() { return started_; }

private:
    TemplateMap template_;
    std::string templatePath_;
    std::set<uint32_t> absentTypes_;
    std::map<std::string, uint32_t> formNames_;
    ScopeKind scopeKind_ = ScopeKind::kStarted;
    std::set<DWORD> scopeIds_;
    std::map<DWORD, HANDLE> started_;
};

// Waits, checking `ready` every 20 ms, until it says true or the time-out
// passes; true when it got ready.
template <typename Ready>
bool WaitUntil(UINT timeoutMs, Ready ready) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

}  // namespace uidriver
