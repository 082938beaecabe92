// The launcher's notification-area icon, in process on its real main window:
// added at start, put back after the task bar is re-created, removed by the
// exit button's path and when the window goes; mouse messages from the icon.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "launcher/form_ids.h"
#include "launcher/program.h"
#include "launcher/program_state.h"
#include "launcher/tray_icon_win32.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "runtime/form_registry_win32.h"
#include "support/form_harness_win32.h"
#include "support/launcher_runtime_win32.h"

namespace {

using namespace launcher;

// Under a display without a window manager Wine shows each icon as a child
// window of its stand-alone tray window.
int TrayIconCount() {
    int count = 0;
    HWND tray = nullptr;
    while ((tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) != nullptr) {
        HWND icon = nullptr;
        while ((icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) != nullptr) ++count;
    }
    return count;
}

bool WaitForIcons(int expected) {
    return rt::testing::PumpUntil([&] { return TrayIconCount() == expected; }, 5000);
}

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        launcher::testing::StartLauncherRuntime();
        ASSERT_EQ(TrayIconCount(), 0) << "another program's icon is in the notification area";
        // Its created handler adds the icon (and does the rest of the start).
        ASSERT_EQ(rt::LoadForm(*rt::FindForm(main_window::kForm), false, false, nullptr), 1);
        window_ = rt::WindowOfComponent(main_window::kForm, 0);
    }
    // What the shell would do when Explorer restarts: the icon is gone.
    void ForgetIcon() {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window_;
        data.uID = 1;
        Shell_NotifyIconW(NIM_DELETE, &data);
    }
    HWND window_ = nullptr;
};

TEST_F(TrayIcon, AddedAtStartWithTheRecordOfTheShell) {
    EXPECT_TRUE(WaitForIcons(1));
    const TrayIconRecord& record = *State().TrayIconData;
    // The shell's record up to its balloon flags: 488 bytes on i686.
    EXPECT_EQ(record.cbSize, offsetof(NOTIFYICONDATAA, guidItem));
    if (sizeof(void*) == 4) {
        EXPECT_EQ(record.cbSize, 488u);
    }
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 123456u);
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(record.hWnd)), window_);
    EXPECT_STREQ(static_cast<const char*>(record.szTip) + 8, "Lumadrel");  // the byte array's data
}

TEST_F(TrayIcon, TaskbarRecreatedPutsTheIconBackWithTheBalloonFlags) {
    ASSERT_TRUE(WaitForIcons(1));
    ShowTrayBalloon("系统提示", "游戏在这里！！", 1);
    EXPECT_EQ(State().TrayIconData->uFlags, 0x10u);
    EXPECT_STREQ(static_cast<const char*>(State().TrayIconData->szInfoTitle) + 8, "系统提示");
    ForgetIcon();
    ASSERT_TRUE(WaitForIcons(0));
    SendMessageW(window_, State().TaskbarCreatedMessage, 0, 0);
    EXPECT_TRUE(WaitForIcons(1)) << "the icon did not come back";
    // The balloon's flag stays, and the icon comes back whole: message, picture and tip.
    EXPECT_EQ(State().TrayIconData->uFlags, 0x17u);
}

TEST_F(TrayIcon, RemovedBeforeTheProcessEndsAndWhenTheWindowGoes) {
    ASSERT_TRUE(WaitForIcons(1));
    RemoveTrayIcon();  // what the exit button does just before terminating
    EXPECT_TRUE(WaitForIcons(0));
    SendMessageW(window_, State().TaskbarCreatedMessage, 0, 0);
    ASSERT_TRUE(WaitForIcons(1));
    DestroyWindow(window_);  // the subclass removes it and still lets the window's own destruction run
    EXPECT_TRUE(WaitForIcons(0));
    EXPECT_EQ(rt::WindowOfComponent(main_window::kForm, 0), nullptr) << "the window's own destroy handling ran";
}

TEST_F(TrayIcon, LeftClickShowsTheHiddenWindowAndRightClickDoesNot) {
    ShowWindow(window_, SW_HIDE);
    SendMessageW(window_, 123456, 0, WM_RBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(window_));
    SendMessageW(window_, 123456, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window_));
    ShowWindow(window_, SW_HIDE);
    SendMessageW(window_, 123456, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window_));
}

}  // namespace
