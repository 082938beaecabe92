// The updater's window: what it is doing, a progress bar over the bytes of the
// current activity with the rate, and cancel / retry. The work runs on a
// worker thread; the window only reads its progress on a timer.
#pragma once

#include "updater/update_run_win32.h"

namespace updater {

// Control ids, for the end-to-end tests that read the window.
namespace control {
constexpr int kActivity = 100;
constexpr int kFile = 110;
constexpr int kProgressBar = 120;
constexpr int kBytes = 130;
constexpr int kRetry = 140;
constexpr int kCancel = 150;
}  // namespace control

constexpr wchar_t kWindowClass[] = L"LumadrelUpdater";

// Exit codes of tovrin.exe.
constexpr int kExitInstalled = 0;
constexpr int kExitFailed = 1;
constexpr int kExitCancelled = 2;

// Shows the window, runs the update and returns the exit code once the window is gone.
int RunUpdaterWindow(const RunSettings& settings);

}  // namespace updater
