#include "launcher/tray_icon_win32.h"

#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "launcher/commands_win32.h"
#include "launcher/dll_table.h"
#include "launcher/form_ids.h"
#include "launcher/program_state.h"
#include "launcher/subroutine_ids.h"
#include "runtime/dll_call_win32.h"
#include "runtime/entry_points.h"
#include "runtime/startup_trace.h"
#include "runtime/values.h"

namespace launcher {
namespace {

using rt::CallConvention;
using rt::NativeArgument;

constexpr uint32_t kNimAdd = 0;
constexpr uint32_t kNimModify = 1;
constexpr uint32_t kNimDelete = 2;

using rt::NativeWord;

NativeWord Call(uint32_t index, std::initializer_list<NativeWord> arguments, uint32_t subroutineId,
                uint32_t statement) {
    return rt::CallDllCommand(index, CallConvention::CalleeCleans, arguments, subroutineId, statement);
}

// The native notification-icon record up to its balloon flags (the shell's
// version-2 size): 488 bytes on i686; on x86_64 the handles are 8 bytes wide
// and aligned, which moves every later member.
struct NativeTrayLayout {
    uint32_t size, hWnd, uID, uFlags, uCallbackMessage, hIcon, szTip, dwState, dwStateMask, szInfo, uTimeout,
        szInfoTitle, dwInfoFlags;
};
#if defined(_WIN64)
constexpr NativeTrayLayout kTray = {504, 8, 16, 20, 24, 32, 40, 168, 172, 176, 432, 436, 500};
#else
constexpr NativeTrayLayout kTray = {488, 4, 8, 12, 16, 20, 24, 152, 156, 160, 416, 420, 484};
#endif
static_assert(kTray.size == offsetof(NOTIFYICONDATAA, guidItem));
static_assert(kTray.hWnd == offsetof(NOTIFYICONDATAA, hWnd) && kTray.uID == offsetof(NOTIFYICONDATAA, uID));
static_assert(kTray.uFlags == offsetof(NOTIFYICONDATAA, uFlags));
static_assert(kTray.uCallbackMessage == offsetof(NOTIFYICONDATAA, uCallbackMessage));
static_assert(kTray.hIcon == offsetof(NOTIFYICONDATAA, hIcon) && kTray.szTip == offsetof(NOTIFYICONDATAA, szTip));
static_assert(kTray.dwState == offsetof(NOTIFYICONDATAA, dwState));
static_assert(kTray.dwStateMask == offsetof(NOTIFYICONDATAA, dwStateMask));
static_assert(kTray.szInfo == offsetof(NOTIFYICONDATAA, szInfo));
static_assert(kTray.uTimeout == offsetof(NOTIFYICONDATAA, uTimeout));
static_assert(kTray.szInfoTitle == offsetof(NOTIFYICONDATAA, szInfoTitle));
static_assert(kTray.dwInfoFlags == offsetof(NOTIFYICONDATAA, dwInfoFlags));
static_assert(sizeof(NOTIFYICONDATAA::szTip) == kTipBytes && sizeof(NOTIFYICONDATAA::szInfo) == kInfoBytes &&
              sizeof(NOTIFYICONDATAA::szInfoTitle) == kInfoTitleBytes);

uint8_t* ArrayData(void* byteArray) {
    uint8_t* first = nullptr;
    rt::ArrayElementCount(byteArray, &first);
    return first;
}

// The program's record as the native one, passed to the shell and copied
// back afterwards.
uint32_t NotifyIcon(uint32_t operation, uint32_t statement) {
    TrayIconRecord& record = *State().TrayIconData;
    auto native = static_cast<uint8_t*>(rt::AllocateZeroed(kTray.size));
    auto put = [&](uint32_t offset, auto value) { std::memcpy(native + offset, &value, sizeof value); };
    auto get = [&](uint32_t offset, auto* value) { std::memcpy(value, native + offset, sizeof *value); };
    put(0, record.cbSize);
    put(kTray.hWnd, record.hWnd);
    put(kTray.uID, record.uID);
    put(kTray.uFlags, record.uFlags);
    put(kTray.uCallbackMessage, record.uCallbackMessage);
    put(kTray.hIcon, record.hIcon);
    std::memcpy(native + kTray.szTip, ArrayData(record.szTip), kTipBytes);
    put(kTray.dwState, record.dwState);
    put(kTray.dwStateMask, record.dwStateMask);
    std::memcpy(native + kTray.szInfo, ArrayData(record.szInfo), kInfoBytes);
    put(kTray.uTimeout, record.uTimeout);
    std::memcpy(native + kTray.szInfoTitle, ArrayData(record.szInfoTitle), kInfoTitleBytes);
    put(kTray.dwInfoFlags, record.dwInfoFlags);

    auto result = static_cast<uint32_t>(
        Call(kShellNotifyIconA, {operation, NativeArgument(native)}, subroutine::kTrayWindowProc, statement));

    get(0, &record.cbSize);
    get(kTray.hWnd, &record.hWnd);
    get(kTray.uID, &record.uID);
    get(kTray.uFlags, &record.uFlags);
    get(kTray.uCallbackMessage, &record.uCallbackMessage);
    get(kTray.hIcon, &record.hIcon);
    std::memcpy(ArrayData(record.szTip), native + kTray.szTip, kTipBytes);
    get(kTray.dwState, &record.dwState);
    get(kTray.dwStateMask, &record.dwStateMask);
    std::memcpy(ArrayData(record.szInfo), native + kTray.szInfo, kInfoBytes);
    get(kTray.uTimeout, &record.uTimeout);
    std::memcpy(ArrayData(record.szInfoTitle), native + kTray.szInfoTitle, kInfoTitleBytes);
    get(kTray.dwInfoFlags, &record.dwInfoFlags);
    rt::Free(native);
    return result;
}

// lstrcpyn into a fixed byte array, NUL included, never past its end.
void CopyInto(void* byteArray, uint32_t capacity, const char* text, uint32_t statement) {
    NativeWord length = rt::CallDllCommand(kStrlen, CallConvention::CallerCleans, {NativeArgument(text ? text : "")},
                                         subroutine::kAddTrayIcon, statement);
    NativeWord count = length + 1 < capacity ? length + 1 : capacity;
    Call(kLstrcpyn, {NativeArgument(ArrayData(byteArray)), NativeArgument(text ? text : ""), count},
         subroutine::kAddTrayIcon, statement + 1);
}

// The tray callback as a window-procedure-shaped routine, so it can be called
// through CallWindowProcA; the mouse message comes as the first argument.
LRESULT CALLBACK CallbackEntry(HWND mouseMessage, UINT, WPARAM, LPARAM) {
    auto callback = reinterpret_cast<TrayCallbackFunction>(State().TrayCallback);
    if (callback) callback(static_cast<int32_t>(reinterpret_cast<intptr_t>(mouseMessage)));
    return 0;
}

TrayCallbackFunction g_callback = nullptr;

}  // namespace

void AddTrayIcon(uint32_t formId, const char* tip, TrayCallbackFunction callback) {
    ProgramState& state = State();
    state.TrayWindow = static_cast<uintptr_t>(GetWindowHandle(formId, 0));
    state.OldWindowProc = Call(kSetWindowLongPtrA,
                               {state.TrayWindow, static_cast<NativeWord>(GWLP_WNDPROC),
                                NativeArgument(reinterpret_cast<void*>(TrayWindowProc))},
                               subroutine::kAddTrayIcon, 1);
    g_callback = callback;
    state.TrayCallback = reinterpret_cast<uintptr_t>(callback);
    TrayIconRecord& record = *state.TrayIconData;
    record.cbSize = kTray.size;
    record.hWnd = state.TrayWindow;
    record.uID = 1;
    record.uFlags = 1 | 2 | 4;  // message, icon, tip
    record.uCallbackMessage = kTrayNotifyMessage;
    record.hIcon = static_cast<uintptr_t>(SendWindowMessage(formId, 0, WM_GETICON, ICON_SMALL, 0));
    CopyInto(record.szTip, kTipBytes, tip, 2);
    trace::Span span("tray icon: the shell adds it");
    NotifyIcon(kNimAdd, 4);
}

void ShowTrayBalloon(const char* title, const char* text, uint32_t infoFlags) {
    TrayIconRecord& record = *State().TrayIconData;
    record.uFlags = 0x10;  // the balloon alone; the value stays in the record
    CopyInto(record.szInfoTitle, kInfoTitleBytes, title, 10);
    CopyInto(record.szInfo, kInfoBytes, text, 12);
    record.dwInfoFlags = infoFlags;
    NotifyIcon(kNimModify, 14);
}

void RemoveTrayIcon() {
    if (State().TrayIconData && State().TrayIconData->cbSize) NotifyIcon(kNimDelete, 20);
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ProgramState& state = State();
    auto passOn = [&](NativeWord procedure, uint32_t index) {
        return static_cast<LRESULT>(Call(index,
                                         {procedure, NativeArgument(window), message, static_cast<NativeWord>(wParam),
                                          static_cast<NativeWord>(lParam)},
                                         subroutine::kTrayWindowProc, 30));
    };
    if (message == WM_DESTROY) {
        NativeWord previous = state.OldWindowProc;
        Call(kSetWindowLongPtrA, {state.TrayWindow, static_cast<NativeWord>(GWLP_WNDPROC), previous},
             subroutine::kTrayWindowProc, 31);
        state.OldWindowProc = 0;
        NotifyIcon(kNimDelete, 32);
        return passOn(previous, kCallWindowProcAPassOn);
    }
    if (message == kTrayNotifyMessage && state.TrayCallback) {
        Call(kCallWindowProcACallback,
             {NativeArgument(reinterpret_cast<void*>(CallbackEntry)), static_cast<NativeWord>(lParam), 0, 0, 0},
             subroutine::kTrayWindowProc, 33);
        return 0;
    }
    if (state.TaskbarCreatedMessage != 0 && message == state.TaskbarCreatedMessage) {
        // After a balloon the record holds only the balloon flag; an icon put
        // back with it alone would have no picture and would not answer clicks,
        // leaving a hidden launcher no way back.
        State().TrayIconData->uFlags |= 1 | 2 | 4;
        NotifyIcon(kNimAdd, 34);
    }
    return passOn(state.OldWindowProc, kCallWindowProcAPassOn);
}

void TrayMouseHandler(int32_t mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        WriteIntegerProperty(main_window::kForm, 0, property::kVisible, 1);
        WriteIntegerProperty(main_window::kForm, 0, property::kStartPosition, 0);
        break;
    case WM_LBUTTONDBLCLK: WriteIntegerProperty(main_window::kForm, 0, property::kVisible, 1); break;
    default: break;  // the right button and everything else
    }
}

}  // namespace launcher
