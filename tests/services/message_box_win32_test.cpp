// MessageBox: the pressed button, title, content, owner and task-modal rule.
// A helper thread finds the box by its title and presses a button in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "runtime/text_conversion_win32.h"
#include "services/core_commands.h"
#include "support/command_call.h"

namespace {

using services::testing::Call;

struct ShownBox {
    bool found = false;
    std::wstring text;
    HWND owner = nullptr;
    bool otherWindowEnabled = false;
};

BOOL CALLBACK CollectStaticText(HWND child, LPARAM parameter) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    if (lstrcmpiW(className, L"Static") == 0 && text[0]) *reinterpret_cast<std::wstring*>(parameter) = text;
    return TRUE;
}

struct BoxSearch {
    const std::wstring* title;
    HWND found;
};

// Only this process's boxes: other test processes may show boxes with the same title.
BOOL CALLBACK MatchOwnBox(HWND window, LPARAM parameter) {
    auto search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    wchar_t title[128] = {};
    GetClassNameW(window, className, 16);
    GetWindowTextW(window, title, 128);
    if (process == GetCurrentProcessId() && lstrcmpW(className, L"#32770") == 0 && *search->title == title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Waits for the box titled `title`, records what it shows, then presses `button`.
std::thread PressWhenShown(const std::wstring& title, int button, HWND otherWindow, ShownBox* seen) {
    return std::thread([=] {
        BoxSearch search{&title, nullptr};
        for (int i = 0; i < 500 && !search.found; ++i) {
            EnumWindows(MatchOwnBox, reinterpret_cast<LPARAM>(&search));
            if (!search.found) Sleep(20);
        }
        HWND box = search.found;
        if (!box) return;
        seen->found = true;
        EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&seen->text));
        seen->owner = GetWindow(box, GW_OWNER);
        seen->otherWindowEnabled = otherWindow && IsWindowEnabled(otherWindow);
        SendMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
    });
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Hidden: under Wine without a window manager, hiding a shown window costs seconds.
        window_ = CreateWindowExW(0, L"STATIC", L"message box test window", WS_OVERLAPPEDWINDOW, 10, 10,
                                  200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }

    int32_t Show(std::initializer_list<rt::ValueRecord> arguments, const std::wstring& title, int button,
                 ShownBox* seen) {
        std::thread presser = PressWhenShown(title, button, window_, seen);
        int32_t pressed = Call(services::MessageBox, arguments).integer();
        presser.join();
        return pressed;
    }

    HWND window_ = nullptr;
};

struct ButtonCase {
    const char* name;
    int32_t flags;
    int button;
    int32_t expected;
};

class PressedButtons : public MessageBoxTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(PressedButtons, MapToTheirNumbers) {
    ShownBox seen;
    int32_t pressed = Show({rt::MakeText("按钮"), rt::MakeInteger(GetParam().flags), rt::MakeText("按钮测试")},
                           L"按钮测试", GetParam().button, &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(pressed, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PressedButtons,
                         ::testing::Values(ButtonCase{"Yes", MB_YESNO, IDYES, 5}, ButtonCase{"No", MB_YESNO, IDNO, 6},
                                           ButtonCase{"Ok", MB_OK, IDOK, 0},
                                           ButtonCase{"Cancel", MB_OKCANCEL, IDCANCEL, 1},
                                           ButtonCase{"Abort", MB_ABORTRETRYIGNORE, IDABORT, 2},
                                           ButtonCase{"Retry", MB_ABORTRETRYIGNORE, IDRETRY, 3},
                                           ButtonCase{"Ignore", MB_ABORTRETRYIGNORE, IDIGNORE, 4}),
                         [](const ::testing::TestParamInfo<ButtonCase>& info) { return std::string(info.param.name); });

TEST_F(MessageBoxTest, ShowsGbkContentUnderTheDefaultTitleAndIsTaskModal) {
    ShownBox seen;
    Show({rt::MakeText("是否更新游戏？"), rt::MakeInteger(MB_YESNO)}, L"信息：", IDYES, &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, L"是否更新游戏？");
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_FALSE(seen.otherWindowEnabled);  // task-modal: the thread's windows are disabled meanwhile
    EXPECT_TRUE(IsWindowEnabled(window_));
}

TEST_F(MessageBoxTest, SystemModalIsNotMadeTaskModal) {
    ShownBox seen;
    Show({rt::MakeText("x"), rt::MakeInteger(MB_SYSTEMMODAL), rt::MakeText("系统模态")}, L"系统模态", IDOK, &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.otherWindowEnabled);
}

TEST_F(MessageBoxTest, NumbersAndLogicalsAreShownAsText) {
    ShownBox seen;
    Show({rt::MakeInteger(-5), rt::MakeInteger(0), rt::MakeText("数值")}, L"数值", IDOK, &seen);
    EXPECT_EQ(seen.text, L"-5");
    ShownBox logical;
    Show({rt::MakeBool(true), rt::MakeInteger(0), rt::MakeText("逻辑")}, L"逻辑", IDOK, &logical);
    EXPECT_EQ(logical.text, L"真");
}

TEST_F(MessageBoxTest, ParentOnlyFromTheFourthArgument) {
    ShownBox seen;
    auto handle = rt::MakeInteger(static_cast<int32_t>(reinterpret_cast<uintptr_t>(window_)));
    Show({rt::MakeText("x"), rt::MakeInteger(0), rt::MakeText("有父窗口"), handle}, L"有父窗口", IDOK, &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.owner, window_);
    ShownBox omitted;
    Show({rt::MakeText("x"), rt::MakeInteger(0), rt::MakeText("无父窗口"), rt::ValueRecord{}}, L"无父窗口", IDOK,
         &omitted);
    ASSERT_TRUE(omitted.found);
    EXPECT_EQ(omitted.owner, nullptr);
}

}  // namespace
