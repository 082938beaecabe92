// Runs a Windows program as a child of a test, collects its standard output
// and exit code, and finds the message boxes it shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rt::testing {

// "/a/b" (a path on the Linux side of Wine) as "Z:\a\b".
std::wstring WindowsPathOf(const std::string& unixPath);

class ChildProcess {
public:
    // Starts `program` with `arguments` in `directory` (empty: the test's own).
    ChildProcess(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory = L"");
    ~ChildProcess();
    bool Started() const { return process_ != nullptr; }
    DWORD ProcessId() const { return processId_; }
    // Waits for the end; returns the exit code, or STILL_ACTIVE after the time-out.
    DWORD Wait(DWORD milliseconds = 30000);
    // Everything the program wrote to standard output (after Wait).
    const std::string& Output() const { return output_; }

private:
    void CollectOutput();
    HANDLE process_ = nullptr;
    HANDLE outputRead_ = nullptr;
    DWORD processId_ = 0;
    std::string output_;
};

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
};

// Waits for a dialog-class window of the process; empty when none appears in time.
MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD milliseconds = 15000);
// Presses a button of the box (IDOK, IDYES, ...).
void PressMessageBoxButton(HWND box, int buttonId);

}  // namespace rt::testing
