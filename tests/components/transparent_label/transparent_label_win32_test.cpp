// The transparent label under Wine: only its text is drawn, and the
// background beneath is repainted after every change and move.
#include <gtest/gtest.h>

#include <windows.h>

#include "components/transparent_label/transparent_label_data.h"
#include "components/transparent_label/transparent_label_win32.h"
#include "components/window/window_data.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "support/form_harness_win32.h"
#include "support/window_test_library_win32.h"

namespace {

using components::TransparentLabelData;
using rt::testing::FormBuilder;
using namespace components::testing;

constexpr uint32_t kForm = 0x52010001;
constexpr COLORREF kGreen = RGB(0, 160, 0), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

struct LabelForm {
    HWND window;
    uint32_t label;
};

// A label over a window whose whole client area is a green picture (the
// BackColor blue would show where the picture is not repainted).
LabelForm LoadLabel(const std::function<void(TransparentLabelData&)>& change, RECT place = {20, 20, 220, 50}) {
    FormBuilder form(kForm, kWindowType, 300, 200, WindowBytes([](components::WindowData& d) {
                         d.border = 0;
                         d.StartPosition = 0;
                         d.BackColor = kBlue;
                         d.PictureMode = 3;
                         d.BackPicture = BitmapFile(8, 8, [](int, int) { return kGreen; });
                     }));
    TransparentLabelData data;
    data.TextColor = kRed;
    data.caption = "WWWWWWWWWW";
    // The counts below look for exact colours, so the text must not be
    // smoothed into the picture (the prefix's form font may be).
    rt::LogFont crisp;
    crisp.lfHeight = -16;
    crisp.lfWeight = 700;
    crisp.lfQuality = NONANTIALIASED_QUALITY;
    crisp.SetFaceName("Tahoma");
    data.font = crisp;
    change(data);
    uint32_t label = form.Add(kTransLabelType, "透明标签1", place.left, place.top, place.right - place.left,
                              place.bottom - place.top, rt::testing::kVisible, data.Write());
    Start(rt::testing::BuildTemplate({form}));
    EXPECT_EQ(rt::LoadStartupWindow(kForm), 1);
    EXPECT_TRUE(rt::testing::Drain()) << "the form's first paint";
    return {rt::WindowOfComponent(kForm, 0), label};
}

void SetCaption(uint32_t label, const char* text) {
    rt::WriteProperty(kForm, label, 8 + components::kTransLabelCaption, -1, reinterpret_cast<uintptr_t>(text));
    EXPECT_TRUE(rt::testing::Drain()) << "the repaint for the caption " << text;
}

TEST(TransparentLabel, DrawsOnlyItsTextOverThePicture) {
    LabelForm f = LoadLabel([](TransparentLabelData&) {});
    RECT area{20, 20, 220, 50};
    EXPECT_GT(PixelsOf(f.window, area, kRed), 20);
    EXPECT_EQ(PixelsOf(f.window, area, kBlue), 0);  // no fill of its own, no fill of the window's
    EXPECT_GT(PixelsOf(f.window, area, kGreen), 3000);
}

TEST(TransparentLabel, ShorterCaptionLeavesNoRemnants) {
    LabelForm f = LoadLabel([](TransparentLabelData&) {});
    RECT tail{60, 20, 220, 50};
    ASSERT_GT(PixelsOtherThan(f.window, tail, kGreen), 20);
    SetCaption(f.label, "W");
    EXPECT_EQ(PixelsOtherThan(f.window, tail, kGreen), 0);
    EXPECT_GT(PixelsOtherThan(f.window, RECT{20, 20, 60, 50}, kGreen), 10);
    SetCaption(f.label, "");
    EXPECT_EQ(PixelsOtherThan(f.window, RECT{20, 20, 220, 50}, kGreen), 0);
}

TEST(TransparentLabel, MovingRepaintsTheOldAndTheNewPlace) {
    LabelForm f = LoadLabel([](TransparentLabelData&) {});
    rt::WriteProperty(kForm, f.label, 1, -1, 120);  // top
    ASSERT_TRUE(rt::testing::Drain()) << "the repaint after the move";
    EXPECT_EQ(PixelsOtherThan(f.window, RECT{20, 20, 220, 50}, kGreen), 0);
    EXPECT_GT(PixelsOf(f.window, RECT{20, 120, 220, 150}, kRed), 20);
    EXPECT_EQ(PixelsOf(f.window, RECT{20, 120, 220, 150}, kBlue), 0);
}

TEST(TransparentLabel, WordWrapIgnoresVerticalAlignment) {
    struct Case {
        bool wordWrap;
        int vAlign;
        bool inkAtTop, inkAtBottom;
    };
    const Case cases[] = {{false, 2, false, true}, {false, 0, true, false}, {true, 2, true, false}};
    for (const Case& c : cases) {
        LabelForm f = LoadLabel(
            [&](TransparentLabelData& d) {
                d.caption = "WW";
                d.WordWrap = c.wordWrap;
                d.VAlign = c.vAlign;
            },
            RECT{20, 20, 220, 120});
        EXPECT_EQ(PixelsOtherThan(f.window, RECT{20, 20, 220, 45}, kGreen) > 0, c.inkAtTop) << c.wordWrap << c.vAlign;
        EXPECT_EQ(PixelsOtherThan(f.window, RECT{20, 95, 220, 120}, kGreen) > 0, c.inkAtBottom) << c.wordWrap << c.vAlign;
        DestroyWindow(f.window);
    }
}

TEST(TransparentLabel, EffectsAddTheirCopies) {
    struct Case {
        int effect;
        COLORREF copy;
        bool present;
    };
    const Case cases[] = {{0, RGB(255, 255, 255), false}, {1, RGB(255, 255, 255), true},
                          {2, RGB(255, 255, 255), true},  {3, RGB(0, 0, 0), true},
                          {0, RGB(0, 0, 0), false}};
    for (const Case& c : cases) {
        LabelForm f = LoadLabel([&](TransparentLabelData& d) { d.effect = c.effect; });
        EXPECT_EQ(PixelsOf(f.window, RECT{20, 20, 220, 50}, c.copy) > 0, c.present) << "effect " << c.effect;
        DestroyWindow(f.window);
    }
}

TEST(TransparentLabel, PropertiesClampAndReadBack) {
    LabelForm f = LoadLabel([](TransparentLabelData&) {});
    rt::WriteProperty(kForm, f.label, 8 + components::kTransLabelEffect, -1, 9);
    EXPECT_EQ(rt::ReadProperty(kForm, f.label, 8 + components::kTransLabelEffect, -1), 3u);
    rt::WriteProperty(kForm, f.label, 8 + components::kTransLabelHAlign, -1, static_cast<uint32_t>(-1));
    EXPECT_EQ(rt::ReadProperty(kForm, f.label, 8 + components::kTransLabelHAlign, -1), 0u);
    SetCaption(f.label, "版本 1.0");
    HWND label = rt::WindowOfComponent(kForm, f.label);
    wchar_t text[16] = {};
    GetWindowTextW(label, text, 16);
    EXPECT_STREQ(text, L"版本 1.0");
    EXPECT_TRUE(GetWindowLongW(label, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

}  // namespace
