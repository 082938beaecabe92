// The window component under Wine: frame styles, shapes, background
// pictures, the close sequence and keyboard conventions, properties and
// positions, ownership and destruction.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "components/window/shape/window_shape.h"
#include "components/window/window_component_win32.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "runtime/form_host_win32.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/template_slot.h"
#include "runtime/values.h"
#include "support/form_harness_win32.h"
#include "support/picture_fixtures.h"
#include "support/window_test_library_win32.h"

namespace {

using components::WindowData;
using rt::testing::FormBuilder;
using namespace components::testing;

constexpr uint32_t kForm = 0x52010001;
constexpr uint32_t kSecondForm = 0x52010100;
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

// The handlers as these tests bind them.
enum : int {
    kOnCreated = 0,
    kOnMoved = 1,
    kOnClosing = 2,
    kOnCloseQuery = 3,
    kOnResized = 4,
    kOnDestroyed = 5,
    kOnMenu = 6,
    kOnIdle = 7,
    kOnTray = 8,
};

using Sequence = std::vector<std::string>;

// The events the handlers saw, in the order they came ("tray 1": with its argument).
Sequence Events() {
    static const char* const kNames[] = {"created", "moved", "closing", "close query", "resized",
                                         "destroyed", "menu", "idle", "tray"};
    static_assert(std::size(kNames) == kHandlerCount);
    Sequence events;
    for (const HandlerCall& call : HandlerCalls()) {
        std::string event = kNames[call.handler];
        if (call.handler == kOnIdle || call.handler == kOnTray) event += " " + std::to_string(call.argument);
        events.push_back(event);
    }
    return events;
}

HWND Load(const FormBuilder& form) {
    Start(rt::testing::BuildTemplate({form}));
    EXPECT_EQ(rt::LoadStartupWindow(form.FormId()), 1);
    HWND window = rt::WindowOfComponent(form.FormId(), 0);
    EXPECT_TRUE(rt::testing::Drain()) << "the new window's messages";
    return window;
}

// A form whose window has no frame, so its client area is width × height.
FormBuilder PlainForm(int width, int height, const std::function<void(WindowData&)>& change = [](WindowData&) {}) {
    return FormBuilder(kForm, kWindowType, width, height, WindowBytes([&](WindowData& d) {
                           d.border = 0;
                           d.StartPosition = 0;
                           d.BackColor = kBlue;
                           change(d);
                       }));
}

uint64_t Text(const char* text) { return reinterpret_cast<uintptr_t>(text); }

std::string ReadText(uint32_t unit, int property) {
    auto text = reinterpret_cast<char*>(static_cast<uintptr_t>(rt::ReadProperty(kForm, unit, property, -1)));
    std::string result = text ? text : "";
    rt::Free(text);
    return result;
}

// The window component made straight from its stored data, outside any form.
rt::ComponentObject* CreateWindowFrom(const WindowData& data, int width, int height) {
    std::vector<uint8_t> bytes = data.Write();
    rt::CreateParameters p{};
    p.data = bytes.data();
    p.length = static_cast<uint32_t>(bytes.size());
    p.cx = width;
    p.cy = height;
    p.formId = kForm;
    p.unitId = 0x06000000u | (kForm & 0xFFFFFF);
    return components::WindowComponent::Create(p);
}

TEST(WindowFrame, BorderZeroWithoutTitleHasNoCaptionOrFrame) {
    HWND window = Load(PlainForm(200, 120));
    auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_DLGFRAME | WS_THICKFRAME | WS_SYSMENU), 0u);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 120);
    EXPECT_EQ(WindowPixel(window, 0, 0), kBlue);  // the window's own corner is background
}

TEST(WindowFrame, TitleWithoutControlBoxGivesCaptionWithoutSystemMenu) {
    HWND window = Load(FormBuilder(kForm, kWindowType, 240, 160, WindowBytes([](WindowData& d) {
                                       d.border = 2;
                                       d.caption = "标题";
                                       d.ControlBox = false;
                                       d.BackColor = kBlue;
                                   })));
    auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME), 0u);
    RECT window_rect;
    GetWindowRect(window, &window_rect);
    EXPECT_EQ(window_rect.right - window_rect.left, 240);  // the stored size is the window's size
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    int captionHeight = origin.y - window_rect.top;
    EXPECT_GT(captionHeight, origin.x - window_rect.left + 10);  // a caption above the client area
    EXPECT_NE(WindowPixel(window, 120, captionHeight / 2), kBlue);
    wchar_t title[16] = {};
    GetWindowTextW(window, title, 16);
    EXPECT_STREQ(title, L"标题");
}

TEST(WindowFrame, FrameStylesFollowBorderAndButtons) {
    struct Case {
        int border;
        bool title, controlBox, maxButton;
        DWORD present, absent, exStyle;
    };
    const Case cases[] = {
        {1, true, true, true, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX, 0, 0},
        {2, false, false, false, WS_DLGFRAME, WS_BORDER | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX, 0},
        {3, true, true, false, WS_CAPTION | WS_THICKFRAME, WS_MAXIMIZEBOX, WS_EX_TOOLWINDOW},
        {6, true, false, false, WS_CAPTION, WS_THICKFRAME | WS_SYSMENU, WS_EX_CLIENTEDGE},
    };
    Start(rt::testing::BuildTemplate({FormBuilder(kForm, kWindowType, 300, 200)}));
    for (const Case& c : cases) {
        components::WindowData data;
        data.border = c.border;
        data.caption = c.title ? "窗口" : "";
        data.ControlBox = c.controlBox;
        data.MaxButton = c.maxButton;
        auto* object = CreateWindowFrom(data, 300, 200);
        ASSERT_NE(object, nullptr);
        HWND window = object->Window();
        auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
        auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
        EXPECT_EQ(style & c.present, c.present) << "border " << c.border;
        EXPECT_EQ(style & c.absent, 0u) << "border " << c.border;
        EXPECT_EQ(exStyle & c.exStyle, c.exStyle) << "border " << c.border;
        EXPECT_TRUE(style & WS_CLIPCHILDREN);
        DestroyWindow(window);
    }
}

// The region a window reports for a region given to it.
HRGN AsWindowRegion(HRGN region) {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 60, nullptr, nullptr, nullptr, nullptr);
    SetWindowRgn(probe, region, FALSE);
    HRGN reported = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(probe, reported);
    DestroyWindow(probe);
    return reported;
}

TEST(WindowShape, RoundedRectangleOn100By60UsesCornerSize12) {
    HWND window = Load(PlainForm(100, 60, [](WindowData& d) { d.shape = 2; }));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, region), ERROR);
    HRGN corner12 = AsWindowRegion(CreateRoundRectRgn(0, 0, 100, 60, 12, 12));
    HRGN corner20 = AsWindowRegion(CreateRoundRectRgn(0, 0, 100, 60, 20, 20));
    EXPECT_TRUE(EqualRgn(region, corner12));
    EXPECT_FALSE(EqualRgn(region, corner20));
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 50, 0));
    DeleteObject(region);
    DeleteObject(corner12);
    DeleteObject(corner20);
}

TEST(WindowShape, PolygonRegionsMatchTheirOutlines) {
    struct Case {
        int shape;
        std::vector<POINT> inside, outside;
    };
    // On a 200 × 100 window.
    const Case cases[] = {
        {5, {{100, 10}, {100, 80}, {20, 5}}, {{20, 80}, {180, 80}}},          // triangle pointing down
        {12, {{100, 50}, {100, 5}, {195, 50}}, {{10, 10}, {190, 90}}},        // diamond
        {3, {{10, 50}, {100, 10}}, {{100, 50}, {2, 2}}},                      // ring: the centre is open
        {29, {{10, 10}, {150, 50}, {10, 95}}, {{190, 10}, {190, 90}}},        // arrow-like pentagon
        {14, {{100, 50}, {100, 3}, {197, 50}}, {{30, 20}, {170, 80}}},        // four-pointed star
    };
    for (const Case& c : cases) {
        Start(rt::testing::BuildTemplate({FormBuilder(kForm, kWindowType, 200, 100)}));
        components::WindowData data;
        data.border = 0;
        data.shape = c.shape;
        auto* object = CreateWindowFrom(data, 200, 100);
        ASSERT_NE(object, nullptr);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(object->Window(), region), ERROR) << "shape " << c.shape;
        for (POINT point : c.inside) EXPECT_TRUE(PtInRegion(region, point.x, point.y)) << c.shape << " " << point.x << "," << point.y;
        for (POINT point : c.outside) EXPECT_FALSE(PtInRegion(region, point.x, point.y)) << c.shape << " " << point.x << "," << point.y;
        DeleteObject(region);
        DestroyWindow(object->Window());
    }
}

TEST(WindowShape, RegionFollowsTheSizeAndShapeZeroRemovesIt) {
    FormBuilder form = PlainForm(100, 60, [](WindowData& d) { d.shape = 1; });
    HWND window = Load(form);
    rt::WriteProperty(kForm, form.WindowUnitId(), 2, -1, 300);  // width
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, region), ERROR);
    RECT box;
    GetRgnBox(region, &box);
    EXPECT_GT(box.right, 290);  // the ellipse of the new width, not of 100
    rt::WriteProperty(kForm, form.WindowUnitId(), 8 + components::kWindowShape, -1, 0);
    EXPECT_EQ(GetWindowRgn(window, region), ERROR);
    DeleteObject(region);
}

// --- Background ---

struct PictureCase {
    const char* name;
    int mode, clientWidth, clientHeight;
    std::vector<uint8_t> picture;
    std::vector<std::pair<POINT, COLORREF>> pixels;
};

std::vector<uint8_t> Solid(int width, int height, COLORREF colour) {
    return BitmapFile(width, height, [colour](int, int) { return colour; });
}
// Red left half, green right half.
std::vector<uint8_t> Halves(int width, int height) {
    return BitmapFile(width, height, [width](int x, int) { return x < width / 2 ? kRed : kGreen; });
}

class WindowBackground : public ::testing::TestWithParam<int> {};

const std::vector<PictureCase>& PictureCases() {
    static const std::vector<PictureCase> cases = {
        // s = min(380/600, 387/450): 380 × 285 at (0, 51).
        {"CentredScaledDown", 2, 380, 387, Solid(600, 450, kRed),
         {{{190, 50}, kBlue}, {{190, 51}, kRed}, {{190, 335}, kRed}, {{190, 336}, kBlue}, {{0, 200}, kRed},
          {{379, 200}, kRed}}},
        {"CentredNaturalSize", 2, 200, 100, Solid(50, 20, kRed),
         {{{75, 40}, kRed}, {{124, 59}, kRed}, {{74, 40}, kBlue}, {{125, 40}, kBlue}, {{100, 39}, kBlue},
          {{100, 60}, kBlue}}},
        {"TopLeftLargerCoversAll", 0, 120, 80, Solid(300, 200, kRed),
         {{{0, 0}, kRed}, {{119, 79}, kRed}, {{119, 0}, kRed}, {{0, 79}, kRed}}},
        {"TopLeftSmallerLeavesFill", 0, 120, 80, Solid(30, 20, kRed),
         {{{29, 19}, kRed}, {{30, 10}, kBlue}, {{10, 20}, kBlue}}},
        {"Tiled", 1, 120, 80, Halves(10, 10),
         {{{2, 2}, kRed}, {{7, 2}, kGreen}, {{112, 75}, kRed}, {{117, 75}, kGreen}}},
        {"Stretched", 3, 120, 80, Halves(10, 10), {{{20, 40}, kRed}, {{100, 40}, kGreen}, {{119, 79}, kGreen}}},
        {"UndecodableShowsBackColor", 3, 120, 80, {'B', 'M', 1, 2, 3, 4, 5, 6, 7},
         {{{0, 0}, kBlue}, {{60, 40}, kBlue}}},
    };
    return cases;
}

TEST_P(WindowBackground, PictureModesAndFill) {
    const PictureCase& c = PictureCases()[static_cast<size_t>(GetParam())];
    HWND window = Load(PlainForm(c.clientWidth, c.clientHeight, [&](WindowData& d) {
        d.PictureMode = c.mode;
        d.BackPicture = c.picture;
    }));
    for (const auto& [point, colour] : c.pixels)
        EXPECT_EQ(rt::testing::ClientPixel(window, point.x, point.y), colour)
            << c.name << " at " << point.x << "," << point.y;
}

INSTANTIATE_TEST_SUITE_P(Modes, WindowBackground, ::testing::Range(0, 7),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(PictureCases()[static_cast<size_t>(info.param)].name);
                         });

TEST(WindowBackgroundColour, TranslucentPixelsBlendWithBackColorAndFollowItsChanges) {
    // One pixel row: opaque red, half-transparent green, fully transparent.
    components::testing::Bytes rows = {0, 255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 0, 0};
    std::vector<uint8_t> png = components::testing::PngFile(3, 1, 8, 6, rows);
    FormBuilder form = PlainForm(40, 20, [&](WindowData& d) {
        d.PictureMode = 0;
        d.BackPicture = png;
        d.BackColor = RGB(0, 0, 200);
    });
    HWND window = Load(form);
    EXPECT_EQ(rt::testing::ClientPixel(window, 0, 0), kRed);
    EXPECT_EQ(rt::testing::ClientPixel(window, 1, 0), RGB(0, 128, 99));  // 128/255 green over 200 blue
    EXPECT_EQ(rt::testing::ClientPixel(window, 2, 0), RGB(0, 0, 200));
    rt::WriteProperty(kForm, form.WindowUnitId(), 8 + components::kWindowBackColor, -1, RGB(200, 0, 0));
    EXPECT_EQ(rt::testing::ClientPixel(window, 1, 0), RGB(99, 128, 0));
    EXPECT_EQ(rt::testing::ClientPixel(window, 30, 10), RGB(200, 0, 0));
}

TEST(WindowBackgroundColour, DefaultColourIsTheButtonFace) {
    HWND window = Load(PlainForm(40, 20, [](WindowData& d) { d.BackColor = components::kDefaultColour; }));
    EXPECT_EQ(rt::testing::ClientPixel(window, 10, 10), GetSysColor(COLOR_BTNFACE));
}

// --- Close sequence and keys ---

FormBuilder ClosingForm(const std::function<void(WindowData&)>& change = [](WindowData&) {}) {
    FormBuilder form = PlainForm(200, 100, change);
    form.Bind(0, rt::kWindowClosing, kOnClosing);
    form.Bind(0, rt::kWindowCloseQuery, kOnCloseQuery);
    form.Bind(0, rt::kWindowDestroyed, kOnDestroyed);
    return form;
}

TEST(WindowClose, ClosingEventRefusingKeepsTheWindowAndSkipsTheQuery) {
    HWND window = Load(ClosingForm());
    HandlerResult(kOnClosing) = 0;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Events(), (Sequence{"closing"})) << "refused while closing: no query";

    HandlerCalls().clear();
    HandlerResult(kOnClosing) = 1;
    HandlerResult(kOnCloseQuery) = 0;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Events(), (Sequence{"closing", "close query"}));

    HandlerCalls().clear();
    HandlerResult(kOnCloseQuery) = 1;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Events(), (Sequence{"closing", "close query", "destroyed"}));
    EXPECT_EQ(rt::WindowOfComponent(kForm, 0), nullptr);  // the runtime heard of it
}

TEST(WindowClose, QueryEndSessionAsksTheCloseQueryOnly) {
    HWND window = Load(ClosingForm());
    HandlerResult(kOnCloseQuery) = 0;
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
    HandlerResult(kOnCloseQuery) = 1;
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(Events(), (Sequence{"close query", "close query"}));
    EXPECT_TRUE(IsWindow(window));
}

TEST(WindowKeys, EscClosesOnlyWhenAsked) {
    for (bool escCloses : {false, true}) {
        HWND window = Load(ClosingForm([&](WindowData& d) { d.EscCloses = escCloses; }));
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(rt::testing::Drain()) << "the Esc key";
        EXPECT_EQ(Events(), escCloses ? (Sequence{"closing", "close query", "destroyed"}) : Sequence{})
            << "EscCloses " << escCloses;
        EXPECT_EQ(IsWindow(window) != FALSE, !escCloses);
        if (IsWindow(window)) DestroyWindow(window);
    }
}

struct KeyboardForm {
    FormBuilder form;
    uint32_t edit, first, defaultButton;
};

KeyboardForm ThreeControls(bool enterMovesFocus) {
    KeyboardForm k{PlainForm(300, 200, [&](WindowData& d) { d.EnterMovesFocus = enterMovesFocus; }), 0, 0, 0};
    using rt::testing::kTabStop;
    using rt::testing::kVisible;
    k.edit = k.form.Add(kControlType, "编辑框", 10, 10, 100, 24, kVisible | kTabStop, {kControlEdit});
    k.first = k.form.Add(kControlType, "按钮1", 10, 50, 100, 24, kVisible | kTabStop, {kControlPushButton});
    k.defaultButton = k.form.Add(kControlType, "按钮2", 10, 90, 100, 24, kVisible | kTabStop, {kControlDefaultButton});
    return k;
}

// The key as it reaches the focused control (the test does not depend on
// which window of the display is active).
void Key(HWND focus, WPARAM key) {
    SetFocus(focus);
    PostMessageW(focus, WM_KEYDOWN, key, 0);
    EXPECT_TRUE(rt::testing::Drain()) << "the key " << key;
}

TEST(WindowKeys, TabMovesFocusAndEnterPressesTheDefaultButton) {
    KeyboardForm k = ThreeControls(false);
    HWND window = Load(k.form);
    HWND edit = rt::WindowOfComponent(kForm, k.edit);
    HWND first = rt::WindowOfComponent(kForm, k.first);
    HWND defaultButton = rt::WindowOfComponent(kForm, k.defaultButton);
    SetForegroundWindow(window);
    Key(edit, VK_TAB);
    EXPECT_EQ(GetFocus(), first);
    Key(first, VK_TAB);
    EXPECT_EQ(GetFocus(), defaultButton);
    Key(defaultButton, VK_TAB);
    EXPECT_EQ(GetFocus(), edit);
    Key(edit, VK_RETURN);
    ASSERT_EQ(Clicks().size(), 1u);
    EXPECT_EQ(Clicks()[0], GetDlgCtrlID(defaultButton));
    Key(first, VK_RETURN);  // a focused push button takes Enter itself
    ASSERT_EQ(Clicks().size(), 2u);
    EXPECT_EQ(Clicks()[1], GetDlgCtrlID(first));
}

TEST(WindowKeys, EnterMovesFocusInsteadOfPressing) {
    KeyboardForm k = ThreeControls(true);
    HWND window = Load(k.form);
    SetForegroundWindow(window);
    Key(rt::WindowOfComponent(kForm, k.edit), VK_RETURN);
    EXPECT_EQ(GetFocus(), rt::WindowOfComponent(kForm, k.first));
    EXPECT_TRUE(Clicks().empty());
}

TEST(WindowKeys, ArrowsMoveWithinTheGroupAndAltMnemonicsPress) {
    KeyboardForm k = ThreeControls(false);
    HWND window = Load(k.form);
    HWND edit = rt::WindowOfComponent(kForm, k.edit);
    HWND first = rt::WindowOfComponent(kForm, k.first);
    HWND defaultButton = rt::WindowOfComponent(kForm, k.defaultButton);
    SetForegroundWindow(window);
    Key(first, VK_DOWN);
    EXPECT_EQ(GetFocus(), defaultButton);
    Key(edit, VK_DOWN);  // the edit box keeps its arrow keys
    EXPECT_EQ(GetFocus(), edit);
    SetWindowTextW(first, L"确定(&O)");
    PostMessageW(edit, WM_SYSCHAR, L'o', 0x20000000);
    ASSERT_TRUE(rt::testing::Drain()) << "Alt+O";
    ASSERT_EQ(Clicks().size(), 1u);
    EXPECT_EQ(Clicks()[0], GetDlgCtrlID(first));
}

TEST(WindowEvents, MenuCommandsTrayNoticesAndIdle) {
    FormBuilder form = PlainForm(200, 100);
    uint32_t item = form.Add(kControlType, "菜单1", 0, 0, 0, 0);
    rt::UnitFields& unit = form.Unit(item);
    unit.id = 0x26000000u | (item & 0xFFFFFF);
    unit.menuFlags = 1;
    unit.caption = "文件";
    unit.clickHandler = rt::HandlerOffsetOf(kOnMenu);
    form.Bind(0, rt::kWindowTrayNotice, kOnTray);
    form.Bind(0, rt::kWindowIdle, kOnIdle);
    HWND window = Load(form);
    uint32_t position = 1;
    SendMessageW(window, WM_COMMAND, 20000 + position, 0);
    SendMessageW(window, WM_COMMAND, 57600 + position, 0);  // beyond the menu range: ignored
    ASSERT_EQ(Events(), (Sequence{"menu"}));
    EXPECT_EQ(HandlerCalls().back().unit, 0x26000000u | (item & 0xFFFFFF));

    for (UINT mouse : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_CONTEXTMENU, WM_MOUSEMOVE})
        SendMessageW(window, components::kTrayNoticeMessage, 0, mouse);

    HandlerResult(kOnIdle) = 1;
    EXPECT_TRUE(rt::RunFormIdleWork(25));
    HandlerResult(kOnIdle) = 0;
    EXPECT_FALSE(rt::RunFormIdleWork(40));
    // A mouse move over the tray icon raises nothing.
    EXPECT_EQ(Events(), (Sequence{"menu", "tray 1", "tray 2", "tray 3", "tray 3", "idle 25", "idle 40"}));
}

// --- Properties, positions, ownership ---

TEST(WindowProperties, PicksAreClampedAndTextsCrossAsGbk) {
    FormBuilder form = PlainForm(200, 100);
    HWND window = Load(form);
    uint32_t unit = form.WindowUnitId();
    struct Pick {
        int property;
        int32_t written, read;
    };
    const Pick picks[] = {{components::kWindowBorder, 9, 6},        {components::kWindowBorder, -2, 0},
                          {components::kWindowPictureMode, 7, 3},   {components::kWindowMusicPlayMode, 5, 2},
                          {components::kWindowShape, 40, 29},       {components::kWindowShape, -1, 0},
                          {components::kWindowStartPosition, -4, 0}};
    for (const Pick& pick : picks) {
        rt::WriteProperty(kForm, unit, 8 + pick.property, -1, static_cast<uint32_t>(pick.written));
        EXPECT_EQ(static_cast<int32_t>(rt::ReadProperty(kForm, unit, 8 + pick.property, -1)), pick.read)
            << "property " << pick.property << " written " << pick.written;
    }
    rt::WriteProperty(kForm, unit, 8 + components::kWindowCaption, -1, Text("你好窗口"));
    wchar_t title[16] = {};
    GetWindowTextW(window, title, 16);
    EXPECT_STREQ(title, L"你好窗口");
    EXPECT_EQ(ReadText(unit, 8 + components::kWindowCaption), "你好窗口");
    // A title on a framed window brings the caption back.
    rt::WriteProperty(kForm, unit, 8 + components::kWindowBorder, -1, 2);
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);
}

TEST(WindowPosition, MaximizedIntoTheWorkAreaThenCentredAtRunTime) {
    FormBuilder form = PlainForm(300, 200, [](WindowData& d) { d.StartPosition = 3; });
    HWND window = Load(form);
    EXPECT_TRUE(IsZoomed(window));
    RECT rect, work = components::MonitorWorkArea(window);
    GetWindowRect(window, &rect);
    EXPECT_TRUE(EqualRect(&rect, &work));
    rt::WriteProperty(kForm, form.WindowUnitId(), 8 + components::kWindowStartPosition, -1, 1);
    EXPECT_FALSE(IsZoomed(window));
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
}

TEST(WindowPosition, CentredAtCreationAndMovesRaiseEventThree) {
    FormBuilder form = FormBuilder(kForm, kWindowType, 300, 200, WindowBytes([](WindowData& d) { d.border = 0; }));
    form.Bind(0, rt::kWindowCreated, kOnCreated);
    form.Bind(0, rt::kWindowMoved, kOnMoved);
    form.Bind(0, rt::kWindowResized, kOnResized);
    HWND window = Load(form);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
    // The loader raises them once each; the window does not repeat them.
    EXPECT_EQ(Events(), (Sequence{"created", "moved", "resized"}));
    rt::WriteProperty(kForm, form.WindowUnitId(), 0, -1, 10);
    EXPECT_EQ(Events(), (Sequence{"created", "moved", "resized", "moved"}));
}

TEST(WindowOwner, OffTheTaskbarAndModalWindowsBelongToTheHiddenOwner) {
    FormBuilder main = PlainForm(100, 100);
    FormBuilder second(kSecondForm, kWindowType, 100, 100, WindowBytes([](WindowData& d) { d.ShowInTaskbar = false; }));
    Start(rt::testing::BuildTemplate({main, second}));
    ASSERT_EQ(rt::LoadStartupWindow(kForm), 1);
    EXPECT_EQ(GetWindow(rt::WindowOfComponent(kForm, 0), GW_OWNER), nullptr);
    ASSERT_EQ(rt::LoadForm(*rt::FindForm(kSecondForm), false, false, nullptr), 1);
    HWND second_window = rt::WindowOfComponent(kSecondForm, 0);
    EXPECT_EQ(GetWindow(second_window, GW_OWNER), rt::Runtime().hiddenOwner);
    rt::WriteProperty(kSecondForm, 0x06000000u | (kSecondForm & 0xFFFFFF), 8 + components::kWindowShowInTaskbar, -1, 1);
    EXPECT_EQ(GetWindow(second_window, GW_OWNER), nullptr);
}

TEST(WindowIcons, DefaultProgramIconUnlessTheIconReads) {
    HWND window = Load(PlainForm(100, 100));
    HICON defaultIcon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(defaultIcon, nullptr);
    EXPECT_NE(SendMessageW(window, WM_GETFONT, 0, 0), 0);  // the default font, for children that ask
    FormBuilder withIcon = PlainForm(100, 100, [](WindowData& d) { d.icon = components::testing::ReadFixture("dib.ico"); });
    HWND second = Load(withIcon);
    HICON own = reinterpret_cast<HICON>(SendMessageW(second, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(own, nullptr);
    EXPECT_NE(own, defaultIcon);
    rt::WriteProperty(kForm, withIcon.WindowUnitId(), 8 + components::kWindowIcon, -1,
                      reinterpret_cast<uintptr_t>(rt::CopyBytes("damaged", 7)));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(second, WM_GETICON, ICON_BIG, 0)), defaultIcon);
}

// The colour in the middle of an icon drawn in its own size.
COLORREF IconColour(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return CLR_INVALID;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 64, 64);
    HGDIOBJ old = SelectObject(dc, canvas);
    DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    COLORREF colour = GetPixel(dc, bitmap.bmWidth / 2, bitmap.bmWidth / 2);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Icons made by ImageMagick, one colour per entry: the window shows the
// entry of each size, a real 16-colour entry before a deeper one included.
TEST(WindowIcons, EachSizeShowsItsOwnEntry) {
    const struct {
        const char* file;
        COLORREF big, small;
    } cases[] = {
        {"sizes.ico", RGB(0, 255, 0), RGB(255, 0, 0)},       // 16, 32, 48 pixels, 32-bit
        {"palette.ico", RGB(255, 255, 0), RGB(255, 0, 255)},  // 16-colour entries first
    };
    for (const auto& c : cases) {
        HWND window = Load(PlainForm(100, 100, [&](WindowData& d) { d.icon = components::testing::ReadFixture(c.file); }));
        EXPECT_EQ(IconColour(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0))), c.big) << c.file;
        EXPECT_EQ(IconColour(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0))), c.small)
            << c.file;
    }
}

TEST(WindowTopMost, SetAtCreationAndClearedAtRunTime) {
    FormBuilder form = PlainForm(100, 100, [](WindowData& d) { d.TopMost = true; });
    HWND window = Load(form);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    rt::WriteProperty(kForm, form.WindowUnitId(), 8 + components::kWindowTopMost, -1, 0);
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(WindowDestroy, PendingDestroyRunsFromTheLoopOrAtOnce) {
    FormBuilder main = PlainForm(100, 100);
    main.Bind(0, rt::kWindowDestroyed, kOnDestroyed);
    Start(rt::testing::BuildTemplate({main, FormBuilder(kSecondForm, kWindowType, 100, 100)}));
    ASSERT_EQ(rt::LoadStartupWindow(kForm), 1);
    ASSERT_EQ(rt::LoadForm(*rt::FindForm(kSecondForm), false, false, nullptr), 1);
    HWND window = rt::WindowOfComponent(kForm, 0);
    components::RequestWindowDestroy(rt::ComponentOf(kForm, 0), false);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Events(), Sequence{});
    ASSERT_TRUE(rt::testing::Drain()) << "the loop's turn for the pending destroy";
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Events(), (Sequence{"destroyed"}));
    HWND second = rt::WindowOfComponent(kSecondForm, 0);
    components::RequestWindowDestroy(rt::ComponentOf(kSecondForm, 0), true);
    EXPECT_FALSE(IsWindow(second));
}

TEST(WindowData, DamagedOwnDataFailsTheLoad) {
    std::vector<uint8_t> newerVersion = {7, 0, 0, 0};
    std::vector<uint8_t> truncated = WindowBytes([](WindowData&) {});
    truncated.resize(truncated.size() - 3);
    for (const auto& bytes : {newerVersion, truncated}) {
        Start(rt::testing::BuildTemplate({FormBuilder(kForm, kWindowType, 100, 100, bytes)}));
        EXPECT_EQ(rt::LoadForm(*rt::FindForm(kForm), false, false, nullptr), 0);
    }
}

}  // namespace
