#include "launcher/tray_icon_win32.h"

#include <cstring>

#include "launcher/commands_win32.h"
#include "launcher/dll_table.h"
#include "launcher/form_ids.h"
#include "launcher/program_state.h"
#include "launcher/subroutine_ids.h"
#include "runtime/dll_call_win32.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {
namespace {

using rt::CallConvention;
using rt::NativeArgument;

constexpr uint32_t kNimAdd = 0;
constexpr uint32_t kNimModify = 1;
constexpr uint32_t kNimDelete = 2;

uint32_t Call(uint32_t index, std::initializer_list<uint32_t> arguments, uint32_t subroutineId, uint32_t statement) {
    return rt::CallDllCommand(index, CallConvention::CalleeCleans, arguments, subroutineId, statement);
}

uint8_t* ArrayData(void* byteArray) {
    uint8_t* first = nullptr;
    rt::ArrayElementCount(byteArray, &first);
    return first;
}

// The program's record as the 488-byte native one, passed to the shell and
// copied back afterwards.
uint32_t NotifyIcon(uint32_t operation, uint32_t statement) {
    TrayIconRecord& record = *State().TrayIconData;
    auto native = static_cast<uint8_t*>(rt::AllocateZeroed(kNativeTrayRecordSize));
    auto put = [&](uint32_t offset, uint32_t value) { std::memcpy(native + offset, &value, 4); };
    auto get = [&](uint32_t offset) { uint32_t value; std::memcpy(&value, native + offset, 4); return value; };
    put(0, record.cbSize);
    put(4, record.hWnd);
    put(8, record.uID);
    put(12, record.uFlags);
    put(16, record.uCallbackMessage);
    put(20, record.hIcon);
    std::memcpy(native + 24, ArrayData(record.szTip), kTipBytes);
    put(152, record.dwState);
    put(156, record.dwStateMask);
    std::memcpy(native + 160, ArrayData(record.szInfo), kInfoBytes);
    put(416, record.uTimeout);
    std::memcpy(native + 420, ArrayData(record.szInfoTitle), kInfoTitleBytes);
    put(484, record.dwInfoFlags);

    uint32_t result = Call(kShellNotifyIconA, {operation, NativeArgument(native)}, subroutine::kTrayWindowProc, statement);

    record.cbSize = get(0);
    record.hWnd = get(4);
    record.uID = get(8);
    record.uFlags = get(12);
    record.uCallbackMessage = get(16);
    record.hIcon = get(20);
    std::memcpy(ArrayData(record.szTip), native + 24, kTipBytes);
    record.dwState = get(152);
    record.dwStateMask = get(156);
    std::memcpy(ArrayData(record.szInfo), native + 160, kInfoBytes);
    record.uTimeout = get(416);
    std::memcpy(ArrayData(record.szInfoTitle), native + 420, kInfoTitleBytes);
    record.dwInfoFlags = get(484);
    rt::Free(native);
    return result;
}

// lstrcpyn into a fixed byte array, NUL included, never past its end.
void CopyInto(void* byteArray, uint32_t capacity, const char* text, uint32_t statement) {
    uint32_t length = rt::CallDllCommand(kStrlen, CallConvention::CallerCleans, {NativeArgument(text ? text : "")},
                                         subroutine::kAddTrayIcon, statement);
    uint32_t count = length + 1 < capacity ? length + 1 : capacity;
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
    state.TrayWindow = static_cast<uint32_t>(GetWindowHandle(formId, 0));
    state.OldWindowProc = Call(kSetWindowLongA,
                               {state.TrayWindow, static_cast<uint32_t>(GWLP_WNDPROC),
                                NativeArgument(reinterpret_cast<void*>(TrayWindowProc))},
                               subroutine::kAddTrayIcon, 1);
    g_callback = callback;
    state.TrayCallback = reinterpret_cast<uintptr_t>(callback);
    TrayIconRecord& record = *state.TrayIconData;
    record.cbSize = kNativeTrayRecordSize;
    record.hWnd = state.TrayWindow;
    record.uID = 1;
    record.uFlags = 1 | 2 | 4;  // message, icon, tip
    record.uCallbackMessage = kTrayNotifyMessage;
    record.hIcon = static_cast<uint32_t>(SendWindowMessage(formId, 0, WM_GETICON, ICON_SMALL, 0));
    CopyInto(record.szTip, kTipBytes, tip, 2);
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
    auto passOn = [&](uint32_t procedure, uint32_t index) {
        return static_cast<LRESULT>(Call(index,
                                         {procedure, NativeArgument(window), message, static_cast<uint32_t>(wParam),
                                          static_cast<uint32_t>(lParam)},
                                         subroutine::kTrayWindowProc, 30));
    };
    if (message == WM_DESTROY) {
        uint32_t previous = state.OldWindowProc;
        Call(kSetWindowLongA, {state.TrayWindow, static_cast<uint32_t>(GWLP_WNDPROC), previous},
             subroutine::kTrayWindowProc, 31);
        state.OldWindowProc = 0;
        NotifyIcon(kNimDelete, 32);
        return passOn(previous, kCallWindowProcAPassOn);
    }
    if (message == kTrayNotifyMessage && state.TrayCallback) {
        Call(kCallWindowProcACallback,
             {NativeArgument(reinterpret_cast<void*>(CallbackEntry)), static_cast<uint32_t>(lParam), 0, 0, 0},
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
