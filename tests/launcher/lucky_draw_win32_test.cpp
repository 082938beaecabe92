// The lucky-draw wheel, with the launcher's own handlers run in this process
// on its real template: the period sequence, the highlight, the slot sent.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "launcher/commands_win32.h"
#include "launcher/form_ids.h"
#include "launcher/handlers_win32.h"
#include "launcher/program.h"
#include "launcher/program_state.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "runtime/form_registry_win32.h"
#include "runtime/text_conversion_win32.h"
#include "support/form_harness_win32.h"
#include "support/launcher_runtime_win32.h"

namespace {

using namespace launcher;
namespace draw = launcher::lucky_draw_window;

// Presses OK on every message box this process shows and remembers its text.
class MessageBoxPresser {
public:
    MessageBoxPresser() : thread_([this] { Run(); }) {}
    ~MessageBoxPresser() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::wstring> Texts() const {
        std::lock_guard<std::mutex> lock(textsLock_);
        return texts_;
    }

private:
    static BOOL CALLBACK Find(HWND window, LPARAM parameter) {
        auto self = reinterpret_cast<MessageBoxPresser*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (owner == GetCurrentProcessId() && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window)) {
            wchar_t text[512] = {};
            GetDlgItemTextW(window, 0xFFFF, text, 512);
            {
                std::lock_guard<std::mutex> lock(self->textsLock_);
                self->texts_.push_back(text);
            }
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return TRUE;
    }
    void Run() {
        while (!stop_) {
            EnumWindows(Find, reinterpret_cast<LPARAM>(this));
            Sleep(50);
        }
    }
    std::atomic<bool> stop_{false};
    mutable std::mutex textsLock_;  // the presser's thread appends while the test reads
    std::vector<std::wstring> texts_;
    std::thread thread_;
};

class LuckyDraw : public ::testing::Test {
protected:
    void SetUp() override {
        launcher::testing::StartLauncherRuntime();
        rt::Form* form = rt::FindForm(draw::kForm);
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(rt::LoadForm(*form, false, false, nullptr), 1);  // its created handler prepares the wheel
    }
    int32_t Interval() { return ReadIntegerProperty(draw::kForm, draw::kTimer, property::kInterval); }
    RECT SlotRect(uint32_t slot) {
        RECT rect;
        GetWindowRect(rt::WindowOfComponent(draw::kForm, draw::SlotBox(slot)), &rect);
        return rect;
    }
};

TEST_F(LuckyDraw, ThirtyStepSpinSlowsDownOverItsLastNineMoves) {
    MessageBoxPresser presser;  // no server here: the final request fails with a message
    handlers::SpinClicked(nullptr, 0);
    EXPECT_EQ(Interval(), 200);
    EXPECT_EQ(ReadIntegerProperty(draw::kForm, draw::kSpinButton, property::kDisable), 1);
    State().DrawStepsLeft = 30;
    State().DrawSlot = 16;
    std::vector<int32_t> periods;
    for (int tick = 0; tick < 29; ++tick) {
        handlers::AnimationTick(nullptr, 0);
        periods.push_back(Interval());
    }
    std::vector<int32_t> expected = {180, 160, 140, 120, 100, 80, 60, 40, 30, 30, 30, 30, 30, 30, 30,
                                     30,  30,  30,  30,  30,  50, 70, 90, 110, 130, 150, 170, 190, 210};
    EXPECT_EQ(periods, expected);
    // From slot 16 the first move went to slot 1; 29 moves end on slot 13.
    EXPECT_EQ(State().DrawSlot, 13);
    EXPECT_EQ(ReadIntegerProperty(draw::kForm, draw::kSpinButton, property::kDisable), 1);
    handlers::AnimationTick(nullptr, 0);  // the last tick: stops, sends, enables
    EXPECT_EQ(Interval(), 0);
    EXPECT_EQ(State().DrawSlot, 13) << "the last tick does not move the highlight";
    EXPECT_EQ(ReadIntegerProperty(draw::kForm, draw::kSpinButton, property::kDisable), 0);
    Owned caption(ReadTextProperty(draw::kForm, draw::kPrizeLabel, property::kCaption));
    EXPECT_STREQ(caption.text(), "13");
    ASSERT_TRUE(rt::testing::PumpUntil([&] { return !presser.Texts().empty(); })) << "the failure message";
    EXPECT_EQ(presser.Texts()[0], rt::WideFromGbk("连接服务器失败"));
}

TEST_F(LuckyDraw, HighlightMovesWithBorderAndSizeAndWrapsAround) {
    State().DrawStepsLeft = 40;
    State().DrawSlot = 0;
    handlers::SpinClicked(nullptr, 0);
    State().DrawStepsLeft = 40;
    for (int tick = 0; tick < 16; ++tick) handlers::AnimationTick(nullptr, 0);
    EXPECT_EQ(State().DrawSlot, 16);
    for (uint32_t slot = 1; slot <= 16; ++slot) {
        RECT rect = SlotRect(slot);
        EXPECT_EQ(rect.right - rect.left, 48) << "slot " << slot;
        EXPECT_EQ(rect.bottom - rect.top, 47) << "slot " << slot;
    }
    EXPECT_EQ(ReadIntegerProperty(draw::kForm, draw::SlotBox(16), property::kPictureBoxBorder), 4);
    EXPECT_EQ(ReadIntegerProperty(draw::kForm, draw::SlotBox(15), property::kPictureBoxBorder), 0);
    handlers::AnimationTick(nullptr, 0);  // 16 → 1
    EXPECT_EQ(State().DrawSlot, 1);
    EXPECT_EQ(ReadIntegerProperty(draw::kForm, draw::SlotBox(1), property::kPictureBoxBorder), 4);
    EXPECT_EQ(ReadIntegerProperty(draw::kForm, draw::SlotBox(16), property::kPictureBoxBorder), 0);
    WriteIntegerProperty(draw::kForm, draw::kTimer, property::kInterval, 0);

    // Opened again, the wheel starts from the template's sizes.
    DestroyWindow(rt::WindowOfComponent(draw::kForm, 0));
    rt::Form* form = rt::FindForm(draw::kForm);
    ASSERT_EQ(rt::LoadForm(*form, false, false, nullptr), 1);
    for (uint32_t slot = 1; slot <= 16; ++slot) {
        RECT rect = SlotRect(slot);
        EXPECT_EQ(rect.right - rect.left, 44) << "slot " << slot;
        EXPECT_EQ(rect.bottom - rect.top, 43) << "slot " << slot;
    }
    EXPECT_EQ(State().DrawSlot, 1) << "the slot is kept across openings";
}

}  // namespace
