// The edit box under Wine: what a password box shows, the content event for
// user and program changes, the spin button, selections counted in GBK
// bytes, and re-creation for a style change.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "components/edit_box/edit_box_data.h"
#include "runtime/entry_points.h"
#include "support/control_test_library_win32.h"

namespace {

using namespace components::testing;
using components::EditBoxData;
using rt::testing::FormBuilder;
using rt::testing::kVisible;

constexpr int kContent = 8, kInputMode = 18, kPasswordChar = 19, kAllowMultiLines = 15, kSelStart = 24,
              kSelLength = 25, kSelText = 26, kSpinMode = 21, kDisabled = 6,
              kVisibleProperty = 5;

int g_contentEvents = 0;
std::vector<int32_t> g_spins;
uint32_t g_editUnit = 0;

int64_t CountContent(const uint32_t*, int) {
    ++g_contentEvents;
    return 0;
}
int64_t RecordSpin(const uint32_t* arguments, int count) {
    g_spins.push_back(count > 0 ? static_cast<int32_t>(arguments[0]) : 0);
    return 0;
}
int64_t SetContentFromHandler(const uint32_t*, int) {
    WriteText(g_editUnit, kContent, "新内容");
    return 0;
}
const rt::EventHandler kHandlers[] = {CountContent, RecordSpin, SetContentFromHandler};

std::vector<uint8_t> EditBytes(const std::function<void(EditBoxData&)>& change) {
    EditBoxData data;
    change(data);
    return data.Write();
}

void Load(const FormBuilder& form) {
    g_contentEvents = 0;
    g_spins.clear();
    LoadControls(form, kHandlers, 3);
}

TEST(EditBoxPassword, EmptyPasswordCharShowsThePlainTextAndTheDefaultShowsStars) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    auto add = [&](int top, const std::function<void(EditBoxData&)>& change) {
        return form.Add(kEditBoxType, "编辑框", 10, top, 120, 24, kVisible, EditBytes(change));
    };
    uint32_t plain = add(10, [](EditBoxData& d) { d.content = "abc"; });
    uint32_t noChar = add(40, [](EditBoxData& d) {
        d.content = "abc";
        d.InputMode = 2;
        d.PasswordChar = 0;
    });
    uint32_t starred = add(70, [](EditBoxData& d) {
        d.content = "abc";
        d.InputMode = 2;
    });
    uint32_t stars = add(100, [](EditBoxData& d) { d.content = "***"; });
    Load(form);
    EXPECT_EQ(ClientPixels(ControlWindow(noChar)), ClientPixels(ControlWindow(plain)));
    EXPECT_EQ(ClientPixels(ControlWindow(starred)), ClientPixels(ControlWindow(stars)));
    EXPECT_NE(ClientPixels(ControlWindow(starred)), ClientPixels(ControlWindow(plain)));
    EXPECT_EQ(ReadText(starred, kContent), "abc");
    EXPECT_EQ(ReadText(noChar, kPasswordChar), "");
    EXPECT_EQ(ReadText(starred, kPasswordChar), "*");

    // A Chinese password character, and back to normal input without re-creation.
    HWND window = ControlWindow(starred);
    WriteText(starred, kPasswordChar, "●");
    EXPECT_EQ(SendMessageW(window, EM_GETPASSWORDCHAR, 0, 0), L'●');
    EXPECT_EQ(ReadText(starred, kPasswordChar), "●");
    rt::WriteProperty(kForm, starred, kInputMode, -1, 0);
    EXPECT_EQ(ControlWindow(starred), window);
    EXPECT_EQ(ClientPixels(window), ClientPixels(ControlWindow(plain)));
}

TEST(EditBoxContent, SettingContentFromAHandlerRaisesEventZeroOnce) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    g_editUnit = form.Add(kEditBoxType, "编辑框", 10, 10, 120, 24);
    uint32_t button = form.Add(kButtonType, "按钮", 10, 50, 80, 24);
    form.Bind(g_editUnit, 0, 0);
    form.Bind(button, 0, 2);
    Load(form);
    EXPECT_EQ(g_contentEvents, 0);  // nothing while the form was loading
    SendMessageW(ControlWindow(button), BM_CLICK, 0, 0);
    EXPECT_EQ(g_contentEvents, 1);
    EXPECT_EQ(ReadText(g_editUnit, kContent), "新内容");
    SendMessageW(ControlWindow(g_editUnit), WM_CHAR, 'x', 0);  // typed by the user
    EXPECT_EQ(g_contentEvents, 2);
}

HWND SpinOf(uint32_t edit) { return GetDlgItem(GetParent(ControlWindow(edit)), GetDlgCtrlID(ControlWindow(edit)) + 4); }

void PressArrow(uint32_t edit, UINT key) {
    SendMessageW(ControlWindow(edit), WM_KEYDOWN, key, 0);
    SendMessageW(ControlWindow(edit), WM_KEYUP, key, 0);
}

TEST(EditBoxSpin, AutomaticSpinStepsAndWrapsRoundWithoutTheSpinEvent) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t edit = form.Add(kEditBoxType, "编辑框", 10, 10, 120, 24, kVisible, EditBytes([](EditBoxData& d) {
                                 d.SpinMode = 1;
                                 d.SpinMin = 5;  // the range is 2..5 whichever way round it is stored
                                 d.SpinMax = 2;
                                 d.content = "5";
                             }));
    form.Bind(edit, 1, 1);
    Load(form);
    ASSERT_NE(SpinOf(edit), nullptr);
    const std::pair<UINT, const char*> steps[] = {
        {VK_UP, "2"}, {VK_UP, "3"}, {VK_DOWN, "2"}, {VK_DOWN, "5"}, {VK_DOWN, "4"},
    };
    for (const auto& [key, expected] : steps) {
        PressArrow(edit, key);
        EXPECT_EQ(ReadText(edit, kContent), expected);
    }
    EXPECT_TRUE(g_spins.empty());
    // The whole new value is selected.
    EXPECT_EQ(rt::ReadProperty(kForm, edit, kSelLength, -1), 1u);
}

TEST(EditBoxSpin, OtherSpinModesOnlyRaiseTheSpinEventAndFollowTheBox) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t edit = form.Add(kEditBoxType, "编辑框", 10, 10, 120, 24, kVisible, EditBytes([](EditBoxData& d) {
                                 d.SpinMode = 2;
                                 d.content = "7";
                             }));
    form.Bind(edit, 1, 1);
    Load(form);
    HWND spin = SpinOf(edit);
    ASSERT_NE(spin, nullptr);
    PressArrow(edit, VK_UP);
    PressArrow(edit, VK_DOWN);
    EXPECT_EQ(g_spins, (std::vector<int32_t>{1, -1}));
    EXPECT_EQ(ReadText(edit, kContent), "7");
    // It lies at the right end of the box and is disabled and hidden with it.
    RECT box, arrows;
    GetWindowRect(ControlWindow(edit), &box);
    GetWindowRect(spin, &arrows);
    EXPECT_EQ(arrows.right, box.right);
    EXPECT_TRUE(IsWindowVisible(spin));
    rt::WriteProperty(kForm, edit, kDisabled, -1, 1);
    EXPECT_FALSE(IsWindowEnabled(spin));
    rt::WriteProperty(kForm, edit, kVisibleProperty, -1, 0);
    EXPECT_FALSE(IsWindowVisible(spin));
    // Without a spin the box is made again, and the spin goes with the old one.
    rt::WriteProperty(kForm, edit, kSpinMode, -1, 0);
    EXPECT_FALSE(IsWindow(spin));
    EXPECT_EQ(SpinOf(edit), nullptr);
    rt::WriteProperty(kForm, edit, kSpinMode, -1, 1);
    spin = SpinOf(edit);
    ASSERT_NE(spin, nullptr);
    DestroyWindow(ControlWindow(0));
    EXPECT_FALSE(IsWindow(spin));
    EXPECT_EQ(ControlWindow(edit), nullptr);
}

TEST(EditBoxSelection, PositionsAreGbkBytesAndSurviveReCreation) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t edit = form.Add(kEditBoxType, "编辑框", 10, 10, 160, 60, kVisible, EditBytes([](EditBoxData& d) {
                                 d.content = "中文ab";
                                 d.HideSel = false;
                             }));
    Load(form);
    rt::WriteProperty(kForm, edit, kSelStart, -1, 2);
    rt::WriteProperty(kForm, edit, kSelLength, -1, 3);
    EXPECT_EQ(ReadText(edit, kSelText), "文a");
    DWORD start = 0, end = 0;
    SendMessageW(ControlWindow(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 3u);

    HWND before = ControlWindow(edit);
    rt::WriteProperty(kForm, edit, kAllowMultiLines, -1, 1);
    HWND after = ControlWindow(edit);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_TRUE(GetWindowLongW(after, GWL_STYLE) & ES_MULTILINE);
    EXPECT_EQ(ReadText(edit, kContent), "中文ab");
    EXPECT_EQ(rt::ReadProperty(kForm, edit, kSelStart, -1), 2u);
    EXPECT_EQ(rt::ReadProperty(kForm, edit, kSelLength, -1), 3u);

    WriteText(edit, kSelText, "字");
    EXPECT_EQ(ReadText(edit, kContent), "中字b");
}

}  // namespace
