// tovrin.exe: the game's updater. The launcher starts it with the update
// document's URL (and the word "test", which is accepted and ignored) when
// the published version differs from the installed one.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "brand/brand_settings.h"
#include "runtime/startup_trace_win32.h"
#include "updater/updater_window_win32.h"

namespace {

// Test hooks, read from the environment: the install ends the process at
// step N, as a crash or a kill there would; and a shorter wait for the launcher.
constexpr wchar_t kCrashAtVariable[] = L"LUMADREL_UPDATER_CRASH_AT";
constexpr wchar_t kLauncherWaitVariable[] = L"LUMADREL_UPDATER_LAUNCHER_WAIT_MS";
constexpr UINT kCrashExitCode = 3;

long EnvironmentNumber(const wchar_t* name) {
    wchar_t text[32] = {};
    if (GetEnvironmentVariableW(name, text, 32) == 0) return 0;
    return std::wcstol(text, nullptr, 10);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    rt::StartTraceFromEnvironment();  // LUMADREL_TRACE: written when the updater ends
    trace::Span starting("updater: arguments and settings");
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    updater::RunSettings settings;
    settings.folder = updater::GameFolder::OfThisProgram();
    // The brand's pinned keys: documents signed by any other key are refused.
    settings.trust.keys = updater::PinnedKeys(brand::kUpdatePublicKeys);
    settings.trust.allowUnsigned = brand::kAllowUnsignedUpdates;
    if (arguments && count > 1) {
        // A URL is ASCII; anything else makes it fail its check.
        for (const wchar_t* c = arguments[1]; *c; ++c) settings.documentUrl += *c < 0x80 ? static_cast<char>(*c) : '?';
    }
    if (arguments) LocalFree(arguments);

    if (long crashAt = EnvironmentNumber(kCrashAtVariable); crashAt > 0) {
        settings.installHook = [crashAt](int point) {
            if (point == crashAt) TerminateProcess(GetCurrentProcess(), kCrashExitCode);
            return true;
        };
    }
    if (long wait = EnvironmentNumber(kLauncherWaitVariable); wait > 0)
        settings.launcherWait = std::chrono::milliseconds(wait);
    starting.Close();
    int result;
    {
        trace::Span running("updater: window, download, install");
        result = updater::RunUpdaterWindow(settings);
    }
    rt::WriteTrace();
    return result;
}
