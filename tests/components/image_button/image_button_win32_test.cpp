// The image button under Wine: which state picture shows in which state, the
// masks, hot tracking by style, check-box clicks, messages and re-creation,
// checked pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "runtime/entry_points.h"
#include "runtime/log_font.h"
#include "runtime/values.h"
#include "support/image_button_test_library_win32.h"

namespace {

using namespace components::testing;
using components::ImageButtonData;
using rt::testing::FormBuilder;
using rt::testing::kTabStop;
using rt::testing::kVisible;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kNormalBack = RGB(240, 240, 240);
constexpr COLORREF kHotBack = RGB(255, 255, 255);
constexpr COLORREF kFocusBack = RGB(230, 230, 250);

constexpr int kButtonWidth = 60, kButtonHeight = 40;
constexpr int kPictureSize = 20;
// Without a caption the picture is centred.
constexpr int kPictureX = (kButtonWidth - kPictureSize) / 2, kPictureY = (kButtonHeight - kPictureSize) / 2;

// A 20 x 20 picture on magenta with one block of colour.
std::vector<uint8_t> BlockPicture(COLORREF colour, RECT block) {
    return BitmapFile(kPictureSize, kPictureSize, [=](int x, int y) {
        return x >= block.left && x < block.right && y >= block.top && y < block.bottom ? colour : kMagenta;
    });
}
constexpr RECT kWholeBlock{5, 5, 15, 15};
constexpr RECT kLeftBlock{2, 4, 9, 16};
constexpr RECT kRightBlock{11, 4, 18, 16};

// A picture rectangle in button coordinates.
RECT OnButton(RECT block, int dx = 0, int dy = 0) {
    return {kPictureX + block.left + dx, kPictureY + block.top + dy, kPictureX + block.right + dx,
            kPictureY + block.bottom + dy};
}

void Colours(ImageButtonData& d) {
    d.BkColorOut = kNormalBack;
    d.BkColorIn = kHotBack;
    d.BkColorFocus = kFocusBack;
}

struct Loaded {
    uint32_t unit;
    HWND button;
};

// One form with a button for each data, four to a row; handler `bind` (if
// not -1) takes event 0 of every button.
std::vector<Loaded> LoadButtons(const std::vector<std::vector<uint8_t>>& data, const rt::EventHandler* handlers = nullptr,
                                int handlerCount = 0, int bind = -1, SIZE size = {kButtonWidth, kButtonHeight}) {
    FormBuilder form(kForm, kWindowType, 340, 260);
    std::vector<uint32_t> units;
    for (size_t i = 0; i < data.size(); ++i) {
        int left = 10 + static_cast<int>(i % 4) * (size.cx + 20);
        int top = 10 + static_cast<int>(i / 4) * (size.cy + 20);
        units.push_back(form.Add(kImageButtonType, "超级按钮", left, top, size.cx, size.cy,
                                 kVisible | kTabStop, data[i]));
        if (bind >= 0) form.Bind(units.back(), 0, bind);
    }
    Load(form, handlers, handlerCount);
    std::vector<Loaded> loaded;
    for (uint32_t unit : units) {
        loaded.push_back({unit, ButtonWindow(unit)});
        EXPECT_NE(loaded.back().button, nullptr);
    }
    MoveMouseAway();
    return loaded;
}

Loaded LoadButton(std::vector<uint8_t> data, const rt::EventHandler* handlers = nullptr, int handlerCount = 0,
                  int bind = -1) {
    return LoadButtons({std::move(data)}, handlers, handlerCount, bind)[0];
}

bool IsShadow(COLORREF c) { return c == GetSysColor(COLOR_BTNSHADOW); }

TEST(ImageButtonPictures, FlatButtonWithOnlyPicOutShowsItInEveryState) {
    Loaded b = LoadButton(ButtonData([](ImageButtonData& d) {
        d.BtnStyle = 0;
        Colours(d);
        d.PicOut = BlockPicture(kBlue, kWholeBlock);
    }));
    const RECT block = OnButton(kWholeBlock);
    const int blockPixels = 10 * 10;
    EXPECT_EQ(Render(b.button).CountOf(block, kBlue), blockPixels) << "normal";

    Hover(b.button);
    Pixels hot = Render(b.button);
    EXPECT_EQ(hot.At(3, 3), kHotBack) << "the button became hot";
    EXPECT_EQ(hot.CountOf(block, kBlue), blockPixels) << "hot";
    MoveMouseAway();

    SendMessageW(b.button, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Render(b.button).CountOf(OnButton(kWholeBlock, 1, 1), kBlue), blockPixels) << "pressed";
    SendMessageW(b.button, BM_SETSTATE, FALSE, 0);

    SetFocus(b.button);
    Pixels focused = Render(b.button);
    EXPECT_EQ(focused.At(kButtonWidth / 2, 1), kFocusBack) << "the button has the focus";
    EXPECT_EQ(focused.CountOf(block, kBlue), blockPixels) << "focused";

    EnableWindow(b.button, FALSE);
    Pixels disabled = Render(b.button);
    EXPECT_EQ(disabled.CountOf(block, kBlue), 0) << "disabled draws it grey";
    EXPECT_GT(disabled.Count(block, IsShadow), blockPixels / 2) << "disabled";
}

TEST(ImageButtonPictures, DisabledWithoutItsOwnPictureEmbossesTheHotPicture) {
    Loaded b = LoadButton(ButtonData([](ImageButtonData& d) {
        d.BtnStyle = 0;
        Colours(d);
        d.PicIn = BlockPicture(kGreen, kLeftBlock);
        d.PicOut = BlockPicture(kBlue, kRightBlock);
    }));
    Pixels normal = Render(b.button);
    EXPECT_GT(normal.CountOf(OnButton(kRightBlock), kBlue), 0);
    EXPECT_EQ(normal.CountOf(OnButton(kLeftBlock), kGreen), 0);

    EnableWindow(b.button, FALSE);
    Pixels disabled = Render(b.button);
    const RECT inLeft = OnButton(kLeftBlock), inRight = OnButton(kRightBlock);
    EXPECT_GT(disabled.Count(inLeft, IsShadow), 7 * 12 / 2) << "PicIn's block, embossed";
    EXPECT_EQ(disabled.Count(inRight, IsShadow), 0) << "nothing of PicOut";
    EXPECT_EQ(disabled.CountOf({0, 0, kButtonWidth, kButtonHeight}, kGreen), 0);
    EXPECT_EQ(disabled.CountOf({0, 0, kButtonWidth, kButtonHeight}, kBlue), 0);

    // With a disabled picture of its own, that one shows in colour.
    std::vector<uint8_t> own = BlockPicture(kBlue, kLeftBlock);
    uint8_t* bytes = rt::CopyBytes(own.data(), own.size());
    rt::WriteProperty(kForm, b.unit, 19, -1, reinterpret_cast<uintptr_t>(bytes));
    rt::Free(bytes);
    EXPECT_GT(Render(b.button).CountOf(inLeft, kBlue), 0);
}

TEST(ImageButtonPictures, CheckBoxModeShowsPicInOnlyWhenChecked) {
    Loaded b = LoadButton(ButtonData([](ImageButtonData& d) {
        d.BtnStyle = 0;
        d.CheckBox = true;
        Colours(d);
        d.PicIn = BlockPicture(kGreen, kWholeBlock);
        d.PicOut = BlockPicture(kBlue, kWholeBlock);
    }));
    const RECT block = OnButton(kWholeBlock);
    Hover(b.button);
    Pixels hovered = Render(b.button);
    EXPECT_EQ(hovered.At(3, 3), kHotBack) << "the button became hot";
    EXPECT_EQ(hovered.CountOf(block, kGreen), 0);
    EXPECT_EQ(hovered.CountOf(block, kBlue), 100);

    rt::WriteProperty(kForm, b.unit, kCheckedProperty, -1, 1);
    EXPECT_EQ(Render(b.button).CountOf(block, kGreen), 100) << "checked and hovered";
    MoveMouseAway();
    EXPECT_EQ(Render(b.button).CountOf(block, kGreen), 100) << "checked; a checked box is not moved";
}

TEST(ImageButtonPictures, DefaultTransparentColourIsTheTopLeftPixel) {
    // Magenta in the corner and scattered inside; blue elsewhere.
    auto picture = BitmapFile(kPictureSize, kPictureSize, [](int x, int y) {
        return (x + 2 * y) % 5 == 0 ? kMagenta : kBlue;
    });
    struct Case {
        uint32_t transparent;
        COLORREF removed, kept;
    };
    const Case cases[] = {{components::kDefaultColour, kMagenta, kBlue}, {kBlue, kBlue, kMagenta}};
    std::vector<std::vector<uint8_t>> data;
    for (const Case& c : cases) {
        data.push_back(ButtonData([&](ImageButtonData& d) {
            d.BtnStyle = 0;
            d.BkColorOut = kGreen;
            d.PicOut = picture;
            d.TransColorOut = c.transparent;
        }));
    }
    std::vector<Loaded> buttons = LoadButtons(data);
    const RECT all{0, 0, kButtonWidth, kButtonHeight};
    const RECT onPicture = OnButton({0, 0, kPictureSize, kPictureSize});
    for (size_t i = 0; i < buttons.size(); ++i) {
        const Case& c = cases[i];
        Pixels pixels = Render(buttons[i].button);
        EXPECT_EQ(pixels.CountOf(all, c.removed), 0) << c.transparent;
        EXPECT_GT(pixels.CountOf(onPicture, c.kept), 0) << c.transparent;
        EXPECT_GT(pixels.CountOf(onPicture, kGreen), 0) << "the background shows through";
    }
}

TEST(ImageButtonPictures, PressMovesThePictureByThePressStyle) {
    struct Case {
        int pressStyle, dx, dy;
    };
    const Case cases[] = {{0, 1, 1}, {1, 0, 2}};
    std::vector<std::vector<uint8_t>> data;
    for (const Case& c : cases) {
        data.push_back(ButtonData([&](ImageButtonData& d) {
            d.BtnStyle = 1;
            d.PressStyle = c.pressStyle;
            Colours(d);
            d.PicOut = BlockPicture(kBlue, kWholeBlock);
        }));
    }
    std::vector<Loaded> buttons = LoadButtons(data);
    for (size_t i = 0; i < buttons.size(); ++i) {
        SendMessageW(buttons[i].button, BM_SETSTATE, TRUE, 0);
        EXPECT_EQ(Render(buttons[i].button).CountOf(OnButton(kWholeBlock, cases[i].dx, cases[i].dy), kBlue), 100)
            << cases[i].pressStyle;
    }
}

TEST(ImageButtonHotTracking, FlatAndXpButtonsBecomeHotA3DButtonNever) {
    struct Case {
        int style;
        COLORREF hovered;
    };
    const Case cases[] = {{0, kHotBack}, {2, kHotBack}, {1, kNormalBack}};
    std::vector<std::vector<uint8_t>> data;
    for (const Case& c : cases) {
        data.push_back(ButtonData([&](ImageButtonData& d) {
            d.BtnStyle = c.style;
            Colours(d);
        }));
    }
    std::vector<Loaded> buttons = LoadButtons(data);
    const int x = kButtonWidth / 2, y = kButtonHeight / 2;
    for (size_t i = 0; i < buttons.size(); ++i) {
        HWND button = buttons[i].button;
        EXPECT_EQ(Render(button).At(x, y), kNormalBack) << cases[i].style;
        Hover(button);
        EXPECT_EQ(Render(button).At(x, y), cases[i].hovered) << cases[i].style;
        MoveMouseAway();
        EXPECT_EQ(Render(button).At(x, y), kNormalBack) << "the mouse left: " << cases[i].style;
    }
}

TEST(ImageButtonHotTracking, XpButtonDrawsARoundedOutline) {
    Loaded b = LoadButton(ButtonData([](ImageButtonData& d) {
        d.BtnStyle = 2;
        d.DrawBorder = false;
        Colours(d);
    }));
    Hover(b.button);
    Pixels hot = Render(b.button);
    EXPECT_EQ(hot.At(0, 0), kNormalBack) << "outside the rounded corner";
    EXPECT_EQ(hot.At(kButtonWidth / 2, 0), RGB(0, 0, 0)) << "the outline";
    EXPECT_EQ(hot.At(kButtonWidth / 2, kButtonHeight / 2), kHotBack);
}

std::vector<std::pair<uint32_t, int>> g_clicks;  // unit, Checked as the handler read it
int64_t RecordClick(const uint32_t*, int) {
    uint32_t unit = rt::EventSourceUnit();
    g_clicks.push_back({unit, static_cast<int>(rt::ReadProperty(kForm, unit, kCheckedProperty, -1))});
    return 0;
}
std::vector<int> g_focusEvents;
int64_t RecordGotFocus(const uint32_t*, int) {
    g_focusEvents.push_back(-7);
    return 0;
}
int64_t RecordLostFocus(const uint32_t*, int) {
    g_focusEvents.push_back(-8);
    return 0;
}
const rt::EventHandler kHandlers[] = {RecordClick, RecordGotFocus, RecordLostFocus};
constexpr int kHandlerCount = 3;

// A short 8-bit mono WAV.
std::vector<uint8_t> WaveData() {
    std::vector<uint8_t> wave;
    auto put = [&](const char* text) { wave.insert(wave.end(), text, text + 4); };
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) wave.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const uint32_t samples = 400;
    put("RIFF");
    put32(36 + samples);
    put("WAVE");
    put("fmt ");
    put32(16);
    put32(1 | 1 << 16);  // PCM, one channel
    put32(8000);
    put32(8000);
    put32(1 | 8 << 16);  // block align 1, 8 bits
    put("data");
    put32(samples);
    for (uint32_t i = 0; i < samples; ++i) wave.push_back(static_cast<uint8_t>(128 + ((i / 8) % 2 ? 40 : -40)));
    return wave;
}

TEST(ImageButtonClicks, ClickRaisesEvent0AfterTheCheckToggled) {
    g_clicks.clear();
    std::vector<Loaded> buttons = LoadButtons({ButtonData([](ImageButtonData& d) {
                                                   d.CheckBox = true;
                                                   d.ClickSound = WaveData();
                                               }),
                                               ButtonData([](ImageButtonData& d) { d.StandardSound = true; })},
                                              kHandlers, kHandlerCount, 0);
    const uint32_t checkBox = buttons[0].unit, push = buttons[1].unit;
    for (int i = 0; i < 3; ++i) SendMessageW(buttons[0].button, BM_CLICK, 0, 0);
    SendMessageW(buttons[1].button, BM_CLICK, 0, 0);
    std::vector<std::pair<uint32_t, int>> expected = {{checkBox, 1}, {checkBox, 0}, {checkBox, 1}, {push, 0}};
    EXPECT_EQ(g_clicks, expected);
}

TEST(ImageButtonFocus, RaisesFocusEventsAndPassesTheFocusOnWhenDisabled) {
    g_focusEvents.clear();
    FormBuilder form(kForm, kWindowType, 300, 200);
    const uint32_t first = form.Add(kImageButtonType, "超级按钮1", 10, 10, kButtonWidth, kButtonHeight,
                                    kVisible | kTabStop, ButtonData([](ImageButtonData& d) {
                                        d.BtnStyle = 0;
                                        d.BkColorIn = kHotBack;
                                    }));
    const uint32_t second = form.Add(kImageButtonType, "超级按钮2", 100, 10, kButtonWidth, kButtonHeight,
                                     kVisible | kTabStop);
    form.Bind(first, rt::kEventGotFocus, 1);
    form.Bind(first, rt::kEventLostFocus, 2);
    Load(form, kHandlers, kHandlerCount);
    HWND firstButton = ButtonWindow(first), secondButton = ButtonWindow(second);
    SetFocus(firstButton);
    SetFocus(secondButton);
    EXPECT_EQ(g_focusEvents, (std::vector<int>{-7, -8}));

    SetFocus(firstButton);
    Hover(firstButton);
    ASSERT_EQ(Render(firstButton).At(kButtonWidth / 2, kButtonHeight / 2), kHotBack);
    EnableWindow(firstButton, FALSE);
    EXPECT_EQ(GetFocus(), secondButton);
    EnableWindow(firstButton, TRUE);
    EXPECT_EQ(Render(firstButton).At(kButtonWidth / 2, kButtonHeight / 2), GetSysColor(COLOR_BTNFACE))
        << "no longer hot";
}

TEST(ImageButtonClicks, BothPressesOfADoubleClickAreClicks) {
    g_clicks.clear();
    Loaded b = LoadButton({}, kHandlers, kHandlerCount, 0);
    LPARAM centre = MAKELPARAM(kButtonWidth / 2, kButtonHeight / 2);
    SendMessageW(b.button, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    SendMessageW(b.button, WM_LBUTTONUP, 0, centre);
    SendMessageW(b.button, WM_LBUTTONDBLCLK, MK_LBUTTON, centre);
    SendMessageW(b.button, WM_LBUTTONUP, 0, centre);
    EXPECT_EQ(g_clicks.size(), 2u);
}

TEST(ImageButtonCaption, A3DButtonDrawsItsChineseCaptionDarkInTheMiddle) {
    auto data = [](const char* caption) {
        return ButtonData([caption](ImageButtonData& d) {
            d.BtnStyle = 1;
            d.FgColorOut = d.FgColorIn = d.FgColorFocus = 0;
            d.BkColorOut = d.BkColorFocus = 0xF0F0F0;
            d.BkColorIn = 0xFFFFFF;
            rt::LogFont font;
            font.lfHeight = -12;
            font.lfWeight = 400;
            font.lfCharSet = 134;
            font.SetFaceName("微软雅黑");
            d.font = font;
            d.caption = caption;
        });
    };
    auto dark = [](COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; };
    // The launcher's size.
    const SIZE size{80, 35};
    const RECT middle{8, 6, size.cx - 8, size.cy - 6};
    std::vector<Loaded> buttons = LoadButtons({data("进  入 游 戏"), data("")}, nullptr, 0, -1, size);
    Pixels captioned = Render(buttons[0].button);
    EXPECT_GT(captioned.Count(middle, dark), 30);
    EXPECT_EQ(captioned.At(3, 3), RGB(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(Render(buttons[1].button).Count(middle, dark), 0);
}

TEST(ImageButtonMessages, AnswersDialogCodesChecksAndStyles) {
    struct Case {
        bool checkBox;
        int defaultStyle;
        LRESULT code;
    };
    const Case cases[] = {{false, 0, DLGC_UNDEFPUSHBUTTON}, {false, 1, DLGC_DEFPUSHBUTTON}, {true, 1, DLGC_UNDEFPUSHBUTTON}};
    std::vector<std::vector<uint8_t>> data;
    for (const Case& c : cases) {
        data.push_back(ButtonData([&](ImageButtonData& d) {
            d.CheckBox = c.checkBox;
            d.DefaultStyle = c.defaultStyle;
        }));
    }
    std::vector<Loaded> buttons = LoadButtons(data);
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(SendMessageW(buttons[i].button, WM_GETDLGCODE, 0, 0), cases[i].code) << i;
        EXPECT_EQ(GetWindowLongW(buttons[i].button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << i;
    }

    const Loaded& b = buttons[0];
    SendMessageW(b.button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(SendMessageW(b.button, WM_GETDLGCODE, 0, 0), DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(b.button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    for (WPARAM state : {BST_CHECKED, BST_UNCHECKED, BST_INDETERMINATE}) {
        SendMessageW(b.button, BM_SETCHECK, state, 0);
        LRESULT expected = state == BST_UNCHECKED ? BST_UNCHECKED : BST_CHECKED;
        EXPECT_EQ(SendMessageW(b.button, BM_GETCHECK, 0, 0), expected) << state;
        EXPECT_EQ(rt::ReadProperty(kForm, b.unit, kCheckedProperty, -1), expected == BST_CHECKED ? 1u : 0u);
    }
}

TEST(ImageButtonProperties, CheckBoxChangesAndDefaultStyleRecreateTheControl) {
    Loaded b = LoadButton(ButtonData([](ImageButtonData& d) { d.caption = "开始"; }));
    rt::WriteProperty(kForm, b.unit, kCheckBoxProperty, -1, 0);
    EXPECT_EQ(ButtonWindow(b.unit), b.button) << "the same value keeps the control";

    rt::WriteProperty(kForm, b.unit, kCheckBoxProperty, -1, 1);
    HWND checkBox = ButtonWindow(b.unit);
    EXPECT_NE(checkBox, b.button);
    EXPECT_FALSE(IsWindow(b.button));
    EXPECT_EQ(rt::ReadProperty(kForm, b.unit, kCheckBoxProperty, -1), 1u);
    char* caption = reinterpret_cast<char*>(static_cast<uintptr_t>(rt::ReadProperty(kForm, b.unit, kCaptionProperty, -1)));
    EXPECT_STREQ(caption, "开始") << "the new control keeps the properties";
    rt::Free(caption);
    SendMessageW(checkBox, BM_CLICK, 0, 0);
    EXPECT_EQ(rt::ReadProperty(kForm, b.unit, kCheckedProperty, -1), 1u) << "and works as a check box";

    rt::WriteProperty(kForm, b.unit, kDefaultStyleProperty, -1, 0);
    EXPECT_NE(ButtonWindow(b.unit), checkBox) << "DefaultStyle always re-creates";
    EXPECT_EQ(rt::ReadProperty(kForm, b.unit, kCheckedProperty, -1), 1u);
}

TEST(ImageButtonProperties, WritingTheValueItHasNeitherRepaintsNorRebuilds) {
    Loaded b = LoadButton(ButtonData([](ImageButtonData& d) { d.caption = "开始"; }));
    auto invalidAfter = [&](int property, uint64_t value) {
        ValidateRect(b.button, nullptr);
        rt::WriteProperty(kForm, b.unit, property, -1, value);
        return GetUpdateRect(b.button, nullptr, FALSE) != FALSE;
    };
    EXPECT_FALSE(invalidAfter(kCaptionProperty, reinterpret_cast<uintptr_t>("开始")));
    EXPECT_TRUE(invalidAfter(kCaptionProperty, reinterpret_cast<uintptr_t>("结束")));
    EXPECT_EQ(ButtonWindow(b.unit), b.button);
}

TEST(ImageButtonProperties, DefaultColoursReadBackRawAndPicksAreClamped) {
    Loaded b = LoadButton({});
    rt::WriteProperty(kForm, b.unit, 25, -1, components::kDefaultColour);
    EXPECT_EQ(rt::ReadProperty(kForm, b.unit, 25, -1), components::kDefaultColour);
    EXPECT_EQ(Render(b.button).At(kButtonWidth / 2, kButtonHeight / 2), GetSysColor(COLOR_BTNFACE));
    rt::WriteProperty(kForm, b.unit, 11, -1, 9);
    EXPECT_EQ(rt::ReadProperty(kForm, b.unit, 11, -1), 3u);
    rt::WriteProperty(kForm, b.unit, 8, -1, static_cast<uint32_t>(-4));
    EXPECT_EQ(rt::ReadProperty(kForm, b.unit, 8, -1), 0u);
}

struct ToolTips {
    std::vector<HWND> windows;
};
BOOL CALLBACK CollectToolTips(HWND window, LPARAM parameter) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wcscmp(name, TOOLTIPS_CLASSW) == 0) reinterpret_cast<ToolTips*>(parameter)->windows.push_back(window);
    return TRUE;
}
std::vector<HWND> ThreadToolTips() {
    ToolTips found;
    EnumThreadWindows(GetCurrentThreadId(), CollectToolTips, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

TEST(ImageButtonToolTip, ExistsWhileItHasATextAndWrapsAt400Pixels) {
    Loaded b = LoadButton(ButtonData([](ImageButtonData& d) { d.ToolTip = "进入游戏"; }));
    std::vector<HWND> tips = ThreadToolTips();
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(SendMessageW(tips[0], TTM_GETMAXTIPWIDTH, 0, 0), 400);
    wchar_t text[64] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = GetParent(b.button);
    tool.uId = reinterpret_cast<UINT_PTR>(b.button);
    tool.lpszText = text;
    SendMessageW(tips[0], TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"进入游戏");

    rt::WriteProperty(kForm, b.unit, kToolTipProperty, -1, reinterpret_cast<uintptr_t>(""));
    EXPECT_TRUE(ThreadToolTips().empty());
    rt::WriteProperty(kForm, b.unit, kToolTipProperty, -1, reinterpret_cast<uintptr_t>("玩家中心"));
    EXPECT_EQ(ThreadToolTips().size(), 1u);
    DestroyWindow(b.button);
    EXPECT_TRUE(ThreadToolTips().empty()) << "destroyed with the button";
}

}  // namespace
