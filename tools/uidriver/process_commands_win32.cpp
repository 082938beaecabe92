// Commands for programs: start one, read its exit code, end it, list what
// runs, and choose whose windows the other commands look at.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include "tools/uidriver/command_handlers_win32.h"
#include "tools/uidriver/driver_session_win32.h"
#include "tools/uidriver/text_encoding_win32.h"
#include "tools/uidriver/window_queries_win32.h"

namespace uidriver {
namespace {

// One argument as the C runtime splits a command line back into argv.
std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

bool ProcessIdArgument(const CommandArguments& arguments, DWORD* processId, Failure* failure) {
    int64_t number = 0;
    if (arguments.positional.size() != 1 || !ParseNumber(arguments.positional[0], &number) || number <= 0) {
        *failure = {"bad_command", "a process id is expected"};
        return false;
    }
    *processId = static_cast<DWORD>(number);
    return true;
}

// The session's own handle for a process it started, or a new one (closed by the caller).
HANDLE ProcessHandle(DriverSession& session, DWORD processId, bool* owned) {
    auto found = session.Started().find(processId);
    if (found != session.Started().end()) {
        *owned = false;
        return found->second;
    }
    *owned = true;
    return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
}

}  // namespace

JsonValue StartCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"cwd"}, {});
    if (arguments.positional.empty()) return FailureAnswer({"bad_command", "usage: start PROGRAM [ARG...] [cwd=DIR]"});
    std::wstring program = WindowsPath(arguments.positional[0]);
    std::wstring commandLine = QuoteArgument(program);
    for (size_t i = 1; i < arguments.positional.size(); ++i)
        commandLine += L" " + QuoteArgument(WideFromUtf8(arguments.positional[i]));
    std::wstring directory;
    if (auto cwd = arguments.Option("cwd")) directory = WindowsPath(*cwd);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &process))
        return FailureAnswer({"failed", "cannot start " + arguments.positional[0] + " (error " +
                                            std::to_string(GetLastError()) + ")"});
    CloseHandle(process.hThread);
    session.Started()[process.dwProcessId] = process.hProcess;
    return OkAnswer().Set("pid", static_cast<unsigned long>(process.dwProcessId));
}

JsonValue ExitCodeCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"timeout"}, {});
    DWORD processId = 0;
    Failure failure;
    if (!ProcessIdArgument(arguments, &processId, &failure))
        return FailureAnswer({"bad_command", "usage: exit_code PID [timeout=MS]"});
    bool owned = false;
    HANDLE process = ProcessHandle(session, processId, &owned);
    if (!process) return FailureAnswer({"not_found", "no process " + std::to_string(processId)});
    UINT timeout = session.TimeoutOption(arguments, 0);
    DWORD wait = WaitForSingleObject(process, timeout);
    DWORD code = 0;
    bool exited = wait == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    if (owned) CloseHandle(process);
    if (!exited && arguments.Option("timeout"))
        return FailureAnswer({"timeout", "process " + std::to_string(processId) + " still runs after " +
                                             std::to_string(timeout) + " ms"});
    JsonValue answer = OkAnswer().Set("pid", static_cast<unsigned long>(processId)).Set("running", !exited);
    if (exited) answer.Set("code", static_cast<int>(code));
    return answer;
}

JsonValue KillCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"code"}, {});
    DWORD processId = 0;
    Failure failure;
    if (!ProcessIdArgument(arguments, &processId, &failure))
        return FailureAnswer({"bad_command", "usage: kill PID [code=N]"});
    int64_t code = 1;
    if (auto value = arguments.Option("code"); value && !ParseNumber(*value, &code))
        return FailureAnswer({"bad_command", "code is a number"});
    bool owned = false;
    HANDLE process = ProcessHandle(session, processId, &owned);
    if (!process) return FailureAnswer({"not_found", "no process " + std::to_string(processId)});
    bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ||
                 (TerminateProcess(process, static_cast<UINT>(code)) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0);
    if (owned) CloseHandle(process);
    if (!ended) return FailureAnswer({"failed", "process " + std::to_string(processId) + " did not end"});
    return OkAnswer().Set("pid", static_cast<unsigned long>(processId));
}

JsonValue MemoryCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {}, {});
    DWORD processId = 0;
    Failure failure;
    if (!ProcessIdArgument(arguments, &processId, &failure)) return FailureAnswer({"bad_command", "usage: memory PID"});
    bool owned = false;
    HANDLE process = ProcessHandle(session, processId, &owned);
    if (!process) return FailureAnswer({"not_found", "no process " + std::to_string(processId)});
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    bool read = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    if (owned) CloseHandle(process);
    if (!read) return FailureAnswer({"failed", "no memory figures for process " + std::to_string(processId)});
    auto number = [](SIZE_T bytes) { return static_cast<long long>(bytes); };
    return OkAnswer()
        .Set("pid", static_cast<unsigned long>(processId))
        .Set("working_set", number(counters.WorkingSetSize))
        .Set("peak_working_set", number(counters.PeakWorkingSetSize))
        .Set("private_bytes", number(counters.PrivateUsage))
        .Set("peak_private_bytes", number(counters.PeakPagefileUsage));
}

JsonValue ProcessesCommand(DriverSession&, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {"name"}, {});
    std::wstring name = WideFromUtf8(arguments.Option("name").value_or(""));
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return FailureAnswer({"failed", "no process snapshot"});
    JsonValue list = JsonValue::Array();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (!name.empty() && _wcsicmp(entry.szExeFile, name.c_str()) != 0) continue;
        list.Push(JsonValue::Object()
                      .Set("pid", static_cast<unsigned long>(entry.th32ProcessID))
                      .Set("parent", static_cast<unsigned long>(entry.th32ParentProcessID))
                      .Set("exe", Utf8FromWide(entry.szExeFile)));
    }
    CloseHandle(snapshot);
    return OkAnswer().Set("processes", std::move(list));
}

JsonValue ScopeCommand(DriverSession& session, const std::vector<CommandToken>& words) {
    CommandArguments arguments = SortArguments(words, {}, {"all", "started"});
    if (arguments.Has("all") && arguments.positional.empty()) {
        session.SetScope(DriverSession::ScopeKind::kAll);
    } else if (arguments.Has("started") && arguments.positional.empty()) {
        session.SetScope(DriverSession::ScopeKind::kStarted);
    } else if (!arguments.positional.empty() && arguments.flags.empty()) {
        std::set<DWORD> ids;
        for (const std::string& word : arguments.positional) {
            int64_t number = 0;
            if (!ParseNumber(word, &number) || number <= 0) return FailureAnswer({"bad_command", "bad process id " + word});
            ids.insert(static_cast<DWORD>(number));
        }
        session.SetScope(DriverSession::ScopeKind::kListed, std::move(ids));
    } else if (!arguments.positional.empty() || !arguments.flags.empty()) {
        return FailureAnswer({"bad_command", "usage: scope [all | started | PID...]"});
    }
    return OkAnswer().Set("scope", session.ScopeText());
}

}  // namespace uidriver
