#include "updater/updater_window_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <future>
#include <memory>
#include <thread>

#include "runtime/text_conversion_win32.h"
#include "updater/launcher_name_win32.h"

namespace updater {
namespace {

constexpr UINT kWorkerDone = WM_APP + 1;    // lParam: RunResult* to take over
constexpr UINT kAskLauncher = WM_APP + 2;   // lParam: std::promise<bool>* to answer
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT_PTR kCancelGraceTimer = 2;
constexpr UINT kRefreshMilliseconds = 200;
// A worker blocked in a network read is not waited for longer than this after a cancel.
constexpr UINT kCancelGraceMilliseconds = 3000;
constexpr int kClientWidth = 440, kClientHeight = 170;
constexpr wchar_t kTitle[] = L"Lumadrel \u66F4\u65B0";  // "Lumadrel 更新"
// "Lumadrel 更新 —— 警告：不校验签名，仅供本地测试"
constexpr wchar_t kUnsignedTitle[] = L"Lumadrel \u66F4\u65B0 \u2014\u2014 \u8B66\u544A\uFF1A\u4E0D\u6821\u9A8C"
                                     L"\u7B7E\u540D\uFF0C\u4EC5\u4F9B\u672C\u5730\u6D4B\u8BD5";

std::wstring Wide(const std::string& gbk) { return rt::WideFromGbk(gbk); }

struct UpdaterWindow {
    RunSettings settings;
    UpdateProgress progress;
    std::atomic<bool> cancel{false};
    std::atomic<bool> installing{false};
    std::thread worker;
    bool working = false;
    bool cancelling = false;
    int exitCode = kExitFailed;
    HWND window = nullptr;
    HFONT font = nullptr;
    // Rate of the current activity, smoothed over the refreshes.
    std::string rateActivity;
    uint64_t rateDone = 0;
    DWORD rateTick = 0;
    double bytesPerSecond = 0;

    HWND Control(int id) const { return GetDlgItem(window, id); }
    void SetText(int id, const std::wstring& text) const {
        wchar_t current[512] = {};
        GetWindowTextW(Control(id), current, 512);
        if (text != current) SetWindowTextW(Control(id), text.c_str());
    }

    void StartWorker() {
        cancel = false;
        installing = false;
        cancelling = false;
        working = true;
        rateActivity.clear();
        ShowWindow(Control(control::kRetry), SW_HIDE);
        SetText(control::kCancel, L"\u53D6\u6D88");  // "取消"
        EnableWindow(Control(control::kCancel), TRUE);
        HWND target = window;
        worker = std::thread([this, target] {
            RunHooks hooks;
            hooks.askToCloseLauncher = [target] {
                std::promise<bool> answer;
                std::future<bool> future = answer.get_future();
                PostMessageW(target, kAskLauncher, 0, reinterpret_cast<LPARAM>(&answer));
                return future.get();
            };
            hooks.changingInstalledFiles = [this](bool changing) { installing = changing; };
            auto result = std::make_unique<RunResult>(RunUpdate(settings, progress, cancel, hooks));
            PostMessageW(target, kWorkerDone, 0, reinterpret_cast<LPARAM>(result.release()));
        });
        Refresh();
    }

    void Refresh() {
        ProgressSnapshot now = progress.Read();
        if (!working) return;
        EnableWindow(Control(control::kCancel), !installing && !cancelling);
        SetText(control::kActivity, Wide(cancelling ? std::string("正在取消…") : now.activity));
        SetText(control::kFile, now.file.empty() ? std::wstring() : Wide("文件：" + now.file));
        DWORD tick = GetTickCount();
        if (now.activity != rateActivity) {
            rateActivity = now.activity;
            rateDone = now.done;
            rateTick = tick;
            bytesPerSecond = 0;
        } else if (tick - rateTick >= 1000) {
            double sample = (now.done - rateDone) * 1000.0 / (tick - rateTick);
            bytesPerSecond = bytesPerSecond == 0 ? sample : 0.7 * bytesPerSecond + 0.3 * sample;
            rateDone = now.done;
            rateTick = tick;
        }
        SetText(control::kBytes,
                now.total ? Wide(ProgressLine(now.done, now.total, bytesPerSecond, now.saved)) : std::wstring());
        uint64_t done = now.done < now.total ? now.done : now.total;
        SendMessageW(Control(control::kProgressBar), PBM_SETPOS,
                     now.total ? static_cast<WPARAM>(done * 1000 / now.total) : 0, 0);
    }

    void WorkerDone(RunResult* raw) {
        std::unique_ptr<RunResult> result(raw);
        if (worker.joinable()) worker.join();
        working = false;
        KillTimer(window, kCancelGraceTimer);
        if (result->outcome == RunOutcome::Installed || result->outcome == RunOutcome::Cancelled) {
            exitCode = result->outcome == RunOutcome::Installed ? kExitInstalled : kExitCancelled;
            DestroyWindow(window);
            return;
        }
        exitCode = kExitFailed;
        SetText(control::kActivity, Wide("更新失败：" + result->message));
        SetText(control::kFile, std::wstring());
        SetText(control::kBytes, std::wstring());
        ShowWindow(Control(control::kRetry), SW_SHOW);
        SetText(control::kCancel, L"\u5173\u95ED");  // "关闭"
        EnableWindow(Control(control::kCancel), TRUE);
    }

    void CancelOrClose() {
        if (!working) {
            DestroyWindow(window);
            return;
        }
        if (installing || cancelling) return;
        cancelling = true;
        cancel = true;
        exitCode = kExitCancelled;
        Refresh();
        SetTimer(window, kCancelGraceTimer, kCancelGraceMilliseconds, nullptr);
    }

    // Outside an install nothing installed is half changed, so a blocked worker may be left behind.
    void CancelGraceOver() {
        KillTimer(window, kCancelGraceTimer);
        if (working && !installing) DestroyWindow(window);
    }

    void AskToCloseLauncher(std::promise<bool>* answer) {
        // "游戏启动器 <file> 仍在运行，请先关闭它，再点“重试”。"
        std::wstring text = L"\u6E38\u620F\u542F\u52A8\u5668 " + LauncherFileName() +
                            L" \u4ECD\u5728\u8FD0\u884C\uFF0C\u8BF7\u5148\u5173\u95ED\u5B83\uFF0C\u518D\u70B9"
                            L"\u201C\u91CD\u8BD5\u201D\u3002";
        int pressed = MessageBoxW(window, text.c_str(), kTitle, MB_RETRYCANCEL | MB_ICONWARNING);
        answer->set_value(pressed == IDRETRY);
    }

    void CreateControls() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            font = CreateFontIndirectW(&metrics.lfMessageFont);
        struct ControlLayout {
            int id;
            const wchar_t* type;
            DWORD style;
            int x, y, w, h;
        } layouts[] = {
            {control::kActivity, L"STATIC", SS_LEFT | SS_NOPREFIX, 16, 12, 408, 40},
            {control::kFile, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 16, 56, 408, 18},
            {control::kProgressBar, PROGRESS_CLASSW, 0, 16, 78, 408, 18},
            {control::kBytes, L"STATIC", SS_LEFT | SS_NOPREFIX, 16, 102, 408, 18},
            {control::kRetry, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 244, 130, 84, 26},
            {control::kCancel, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 340, 130, 84, 26},
        };
        for (const ControlLayout& layout : layouts) {
            HWND child = CreateWindowExW(0, layout.type, L"", WS_CHILD | WS_VISIBLE | layout.style, layout.x, layout.y,
                                         layout.w, layout.h, window,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                                         GetModuleHandleW(nullptr), nullptr);
            if (font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        SetText(control::kRetry, L"\u91CD\u8BD5");  // "重试"
        SendMessageW(Control(control::kProgressBar), PBM_SETRANGE32, 0, 1000);
    }
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto self = reinterpret_cast<UpdaterWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        self = static_cast<UpdaterWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        break;
    case WM_CREATE:
        self->CreateControls();
        SetTimer(window, kRefreshTimer, kRefreshMilliseconds, nullptr);
        self->StartWorker();
        return 0;
    case WM_TIMER:
        if (wParam == kCancelGraceTimer) self->CancelGraceOver();
        else self->Refresh();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == control::kCancel) self->CancelOrClose();
        if (LOWORD(wParam) == control::kRetry && !self->working) self->StartWorker();
        return 0;
    case WM_CLOSE:
        self->CancelOrClose();
        return 0;
    case kWorkerDone:
        self->WorkerDone(reinterpret_cast<RunResult*>(lParam));
        return 0;
    case kAskLauncher:
        self->AskToCloseLauncher(reinterpret_cast<std::promise<bool>*>(lParam));
        return 0;
    case WM_DESTROY:
        KillTimer(window, kRefreshTimer);
        PostQuitMessage(self->exitCode);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunUpdaterWindow(const RunSettings& settings) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    auto self = std::make_unique<UpdaterWindow>();
    self->settings = settings;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    // A build that installs unsigned documents says so on every run.
    const wchar_t* title = settings.trust.allowUnsigned ? kUnsignedTitle : kTitle;
    HWND window = CreateWindowExW(0, kWindowClass, title, style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  instance, self.get());
    if (!window) return kExitFailed;
    ShowWindow(window, SW_SHOW);
    MSG message;
    int exitCode = kExitFailed;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    exitCode = static_cast<int>(message.wParam);
    // A worker still blocked in the network after a cancel ends with the process.
    if (self->worker.joinable()) {
        self->worker.detach();
        ExitProcess(static_cast<UINT>(exitCode));
    }
    if (self->font) DeleteObject(self->font);
    return exitCode;
}

}  // namespace updater
