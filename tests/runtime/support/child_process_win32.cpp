#include "support/child_process_win32.h"

#include "common/wine_path.h"

namespace rt::testing {

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::string path = common::WindowsPath(unixPath);
    return std::wstring(path.begin(), path.end());
}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outputWrite = nullptr;
    if (!CreatePipe(&outputRead_, &outputWrite, &inherit, 0)) return;
    SetHandleInformation(outputRead_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        CloseHandle(info.hThread);
    }
    CloseHandle(outputWrite);
}

ChildProcess::~ChildProcess() {
    if (process_) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    if (outputRead_) CloseHandle(outputRead_);
}

void ChildProcess::CollectOutput() {
    char buffer[4096];
    DWORD available = 0;
    while (PeekNamedPipe(outputRead_, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD read = 0;
        if (!ReadFile(outputRead_, buffer, sizeof buffer, &read, nullptr) || read == 0) break;
        output_.append(buffer, read);
    }
}

DWORD ChildProcess::Wait(DWORD milliseconds) {
    if (!process_) return static_cast<DWORD>(-2);
    DWORD start = GetTickCount();
    for (;;) {
        CollectOutput();  // a full pipe would stall the child
        if (WaitForSingleObject(process_, 20) == WAIT_OBJECT_0) break;
        if (GetTickCount() - start > milliseconds) return STILL_ACTIVE;
    }
    CollectOutput();
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

namespace {
struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindDialogOfProcess(HWND window, LPARAM parameter) {
    auto search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == search->processId && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD milliseconds) {
    MessageBoxSeen seen;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        BoxSearch search{processId, nullptr};
        EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            seen.window = search.found;
            wchar_t buffer[2048] = {};
            GetWindowTextW(search.found, buffer, 2048);
            seen.title = buffer;
            buffer[0] = 0;
            GetDlgItemTextW(search.found, 0xFFFF, buffer, 2048);  // the box's static text
            seen.text = buffer;
            return seen;
        }
        Sleep(50);
    }
    return seen;
}

void PressMessageBoxButton(HWND box, int buttonId) {
    // The dialog ends itself on its buttons' command, from any process.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
}

}  // namespace rt::testing
