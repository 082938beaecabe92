// The picture box under Wine: placement by picture mode, PNG translucency
// against its background colour, damaged pictures, its children over its
// picture, run-time borders, and GIF animation timing, its thread and its
// first frame.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "components/common/component_types_win32.h"
#include "components/picture_box/picture_box_data.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "runtime/form_host_win32.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/type_references.h"
#include "runtime/values.h"
#include "support/form_harness_win32.h"
#include "support/picture_fixtures.h"
#include "support/test_components_win32.h"
#include "support/window_test_library_win32.h"

namespace {

using components::PictureBoxData;
using components::testing::Bytes;
using rt::testing::ClientPixel;
using rt::testing::FormBuilder;
using rt::testing::PumpUntil;

constexpr uint32_t kForm = 0x52010001;
constexpr uint32_t kWindowType = rt::kWindowTypeReference, kPictureBoxType = rt::kPictureBoxTypeReference;
constexpr int kBorder = 8, kBackColor = 9, kPicture = 10, kPlayAnimation = 12;
constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255),
                   kGreen = RGB(0, 128, 0), kYellow = RGB(255, 255, 0);

const rt::SupportLibrary* PictureLibrary() {
    static const rt::ComponentType types[] = {
        {"窗口", "Window", rt::kTypeFlagCanRaiseEvents, rt::testing::TestWindowInterface},
        {}, {}, {}, {},
        {"图片框", "PicBox", rt::kTypeFlagCanRaiseEvents, components::PictureBoxTypeInterface},
    };
    static const rt::SupportLibrary library = {
        rt::kLibraryRecordFormat, "0123456789ABCDEF0123456789ABCDEF", 5, 7, 0, "图片框测试库", 0, nullptr,
        static_cast<int>(sizeof types / sizeof types[0]), types, nullptr};
    return &library;
}

// Loads the form as the start-up window (after any form of an earlier test) and lets it paint.
void Load(const FormBuilder& form) {
    static std::vector<uint8_t> current;
    current = rt::testing::BuildTemplate({form});
    if (!rt::Runtime().initialized) {
        rt::testing::StartRuntime(current, {PictureLibrary()}, nullptr, 0);
    } else {
        for (rt::Form& loaded : rt::Forms())
            if (loaded.Loaded()) DestroyWindow(loaded.window);
        ASSERT_TRUE(rt::LoadFormTemplate(current.data(), static_cast<uint32_t>(current.size()), 0));
    }
    ASSERT_NE(rt::LoadStartupWindow(kForm), 0);
    ASSERT_TRUE(rt::testing::Drain()) << "the form's first paint";
}

uint32_t AddBox(FormBuilder& form, int left, int top, int width, int height, const PictureBoxData& data,
                uint32_t parent = 0) {
    return form.Add(kPictureBoxType, "图片框", left, top, width, height, rt::testing::kVisible, data.Write(),
                    parent);
}

PictureBoxData BoxData(Bytes picture, int mode, uint32_t backColour = kWhite) {
    PictureBoxData data;
    data.picture = std::move(picture);
    data.PictureMode = mode;
    data.BackColor = backColour;
    return data;
}

Bytes Solid(int width, int height, COLORREF colour) {
    return components::testing::BitmapFile(width, height, [colour](int, int) { return colour; });
}

HWND BoxWindow(uint32_t unit) { return rt::WindowOfComponent(kForm, unit); }

void WritePicture(uint32_t unit, const Bytes& bytes) {
    uint8_t* set = rt::CopyBytes(bytes.data(), bytes.size());
    rt::WriteProperty(kForm, unit, kPicture, -1, reinterpret_cast<uintptr_t>(set));
    rt::Free(set);
}

// The smallest rectangle holding every client pixel of the colour, and how many there are.
struct Found {
    RECT bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    int count = 0;
};
Found FindColour(HWND window, COLORREF colour) {
    RECT client;
    GetClientRect(window, &client);
    std::vector<COLORREF> pixels = components::testing::ClientPixels(window, client);
    Found found;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            if (pixels[static_cast<size_t>(y) * client.right + x] != colour) continue;
            ++found.count;
            found.bounds = {std::min<LONG>(found.bounds.left, x), std::min<LONG>(found.bounds.top, y),
                            std::max<LONG>(found.bounds.right, x + 1), std::max<LONG>(found.bounds.bottom, y + 1)};
        }
    return found;
}

int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// Two full-size frames, red then blue, each with its stored delay (hundredths).
Bytes TwoFrameGif(uint16_t redDelay, uint16_t blueDelay) {
    components::testing::GifBuilder gif(8, 8, {0xFF0000, 0x0000FF});
    gif.Control(redDelay, 1).Image(0, 0, 8, 8, Bytes(64, 0));
    gif.Control(blueDelay, 1).Image(0, 0, 8, 8, Bytes(64, 1));
    return gif.Finish();
}

// Waits until the animated box `witness` has changed frames `changes` times:
// animation threads have had their turns to draw meanwhile.
::testing::AssertionResult FramesChanged(HWND witness, int changes) {
    COLORREF shown = ClientPixel(witness, 10, 10);
    int seen = 0;
    bool done = PumpUntil([&] {
        COLORREF now = ClientPixel(witness, 10, 10);
        if (now != shown) ++seen;
        shown = now;
        return seen >= changes;
    });
    if (done) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the witness box changed frames " << seen << " of " << changes << " times";
}

TEST(PictureBoxModes, PlacePicturesAsDesigned) {
    struct Case {
        const char* name;
        int mode, pictureWidth, pictureHeight;
        RECT drawn;
    };
    const Case cases[] = {
        {"natural size at the top-left", 0, 20, 10, {0, 0, 20, 10}},
        {"stretched over the client area", 1, 20, 10, {0, 0, 50, 50}},
        {"larger: scaled down and centred", 2, 100, 50, {0, 12, 50, 37}},
        {"smaller: natural size, centred", 2, 20, 10, {15, 20, 35, 30}},
    };
    FormBuilder form(kForm, kWindowType, 400, 200);
    std::vector<uint32_t> boxes;
    int left = 10;
    for (const Case& c : cases) {
        boxes.push_back(AddBox(form, left, 10, 50, 50, BoxData(Solid(c.pictureWidth, c.pictureHeight, kRed), c.mode)));
        left += 60;
    }
    Load(form);
    for (size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const RECT& want = cases[i].drawn;
        Found red = FindColour(BoxWindow(boxes[i]), kRed);
        EXPECT_EQ(red.count, (want.right - want.left) * (want.bottom - want.top));
        EXPECT_EQ(red.bounds.left, want.left);
        EXPECT_EQ(red.bounds.top, want.top);
        EXPECT_EQ(red.bounds.right, want.right);
        EXPECT_EQ(red.bounds.bottom, want.bottom);
        EXPECT_EQ(FindColour(BoxWindow(boxes[i]), kWhite).count, 50 * 50 - red.count) << "the rest is background";
    }
}

TEST(PictureBoxPng, TranslucentPixelsShowTheBackgroundColour) {
    // 20 × 10: left half fully transparent blue, right half red at alpha 128.
    Bytes rows;
    for (int y = 0; y < 10; ++y) {
        rows.push_back(0);
        for (int x = 0; x < 20; ++x) {
            const uint8_t pixel[4] = {static_cast<uint8_t>(x < 10 ? 0 : 255), 0, static_cast<uint8_t>(x < 10 ? 255 : 0),
                                      static_cast<uint8_t>(x < 10 ? 0 : 128)};
            rows.insert(rows.end(), pixel, pixel + 4);
        }
    }
    const Bytes png = components::testing::PngFile(20, 10, 8, 6, rows);
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t onWhite = AddBox(form, 10, 10, 40, 30, BoxData(png, 0, kWhite));
    uint32_t onGreen = AddBox(form, 60, 10, 40, 30, BoxData(png, 0, kGreen));
    Load(form);
    EXPECT_EQ(ClientPixel(BoxWindow(onWhite), 5, 5), kWhite);
    EXPECT_EQ(ClientPixel(BoxWindow(onWhite), 15, 5), RGB(255, 127, 127));
    EXPECT_EQ(ClientPixel(BoxWindow(onGreen), 5, 5), kGreen);
    EXPECT_EQ(ClientPixel(BoxWindow(onGreen), 15, 5), RGB(128, 63, 0));

    // A new background colour blends the picture again.
    rt::WriteProperty(kForm, onWhite, kBackColor, -1, kYellow);
    EXPECT_EQ(ClientPixel(BoxWindow(onWhite), 5, 5), kYellow);
    EXPECT_EQ(ClientPixel(BoxWindow(onWhite), 15, 5), RGB(255, 127, 0));
    EXPECT_EQ(ClientPixel(BoxWindow(onWhite), 30, 20), kYellow);
}

TEST(PictureBoxDamage, ADamagedPictureLeavesOnlyTheBackground) {
    const Bytes good = Solid(8, 8, kRed);
    const Bytes gif = TwoFrameGif(5, 5);
    const Bytes damaged[] = {
        Bytes(good.begin(), good.begin() + 5),
        Bytes(good.begin(), good.begin() + 40),
        Bytes(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(gif.size() / 2)),
        {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0},
    };
    FormBuilder form(kForm, kWindowType, 300, 200);
    std::vector<uint32_t> boxes;
    int left = 10;
    for (const Bytes& bytes : damaged) {
        boxes.push_back(AddBox(form, left, 10, 30, 30, BoxData(bytes, 1, kGreen)));
        left += 40;
    }
    uint32_t changed = AddBox(form, 10, 60, 30, 30, BoxData(gif, 1, kGreen));
    uint32_t witness = AddBox(form, 60, 60, 30, 30, BoxData(gif, 1, kGreen));
    Load(form);
    for (uint32_t box : boxes) EXPECT_EQ(FindColour(BoxWindow(box), kGreen).count, 30 * 30);

    ASSERT_TRUE(PumpUntil([&] { return FindColour(BoxWindow(changed), kGreen).count == 0; })) << "the first frame";
    WritePicture(changed, damaged[2]);
    EXPECT_EQ(FindColour(BoxWindow(changed), kGreen).count, 30 * 30);
    ASSERT_TRUE(FramesChanged(BoxWindow(witness), 3));
    EXPECT_EQ(FindColour(BoxWindow(changed), kGreen).count, 30 * 30) << "no animation left to draw over it";
}

TEST(PictureBoxContainer, ChildrenStayOverThePictureWhenTheBoxRepaints) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t board = AddBox(form, 10, 10, 120, 100, BoxData(Solid(4, 4, kRed), 1));
    uint32_t slot = AddBox(form, 20, 20, 30, 30, BoxData({}, 0, kBlue), board);
    Load(form);
    ASSERT_EQ(GetParent(BoxWindow(slot)), BoxWindow(board));
    // Only the board is painted again: the slot must not have been painted over.
    RedrawWindow(BoxWindow(board), nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(ClientPixel(BoxWindow(board), 35, 35), kBlue);
    EXPECT_EQ(ClientPixel(BoxWindow(board), 80, 80), kRed);
}

WNDPROC g_boardProcedure = nullptr;
int g_boardPaints = 0;
LRESULT CALLBACK CountBoardPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++g_boardPaints;
    return CallWindowProcW(g_boardProcedure, window, message, wParam, lParam);
}

// As the lucky draw moves its highlight: border 4 and a larger size on the
// new slot, border 0 on the previous one, the board behind them untouched.
TEST(PictureBoxBorder, ChangesAtRunTimeTakeEffectAtOnceWithoutRepaintingTheBoard) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t board = AddBox(form, 0, 0, 200, 150, BoxData(Solid(4, 4, kBlue), 1));
    uint32_t slot = AddBox(form, 10, 10, 44, 43, BoxData(Solid(4, 4, kRed), 1), board);
    uint32_t previous = AddBox(form, 70, 10, 44, 43, BoxData(Solid(4, 4, kRed), 1), board);
    Load(form);
    HWND window = BoxWindow(slot);
    auto clientSize = [&] {
        RECT client;
        GetClientRect(window, &client);
        return SIZE{client.right, client.bottom};
    };
    auto framePixel = [&] {
        HDC dc = GetWindowDC(window);
        COLORREF pixel = GetPixel(dc, 0, 0);
        ReleaseDC(window, dc);
        return pixel;
    };
    ASSERT_EQ(clientSize().cx, 44);
    ASSERT_EQ(framePixel(), kRed);
    g_boardProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(BoxWindow(board), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountBoardPaints)));

    rt::WriteProperty(kForm, slot, kBorder, -1, 4);
    rt::WriteProperty(kForm, slot, 2, -1, 48);
    rt::WriteProperty(kForm, slot, 3, -1, 47);
    rt::WriteProperty(kForm, previous, kBorder, -1, 0);
    ASSERT_TRUE(rt::testing::Drain()) << "the repaints for the new borders";
    SIZE framed = clientSize();
    EXPECT_LT(framed.cx, 44);
    EXPECT_LT(framed.cy, 43);
    EXPECT_NE(framePixel(), kRed);
    EXPECT_EQ(FindColour(window, kRed).count, framed.cx * framed.cy) << "the picture fills the smaller client area";

    rt::WriteProperty(kForm, slot, kBorder, -1, 0);
    ASSERT_TRUE(rt::testing::Drain()) << "the repaint without the border";
    EXPECT_EQ(clientSize().cx, 48);
    EXPECT_EQ(clientSize().cy, 47);
    EXPECT_EQ(framePixel(), kRed);
    EXPECT_EQ(FindColour(window, kRed).count, 48 * 47);
    EXPECT_EQ(g_boardPaints, 0);
}

// The frame shown at a client pixel, sampled until it changed `changes` times:
// when each frame was first seen.
std::vector<std::pair<DWORD, COLORREF>> SampleChanges(HWND window, size_t changes) {
    std::vector<std::pair<DWORD, COLORREF>> seen;
    bool done = PumpUntil([&] {
        COLORREF pixel = ClientPixel(window, 10, 10);
        if (seen.empty() || seen.back().second != pixel) seen.emplace_back(GetTickCount(), pixel);
        return seen.size() > changes;
    }, 20000);
    EXPECT_TRUE(done) << "the animation changed frames " << seen.size() - 1 << " of " << changes << " times";
    return seen;
}

// The middle value: a few periods stretched by a busy machine do not move it.
DWORD Median(std::vector<DWORD> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

TEST(PictureBoxAnimation, FramesChangeAtTheirStoredDelays) {
    struct Case {
        const char* name;
        uint16_t redDelay, blueDelay;
        DWORD redShown, blueShown;
    };
    const Case cases[] = {
        {"stored delays", 20, 40, 200, 400},
        {"a delay of 0 is the picture's default", 0, 30, 100, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormBuilder form(kForm, kWindowType, 200, 200);
        uint32_t box = AddBox(form, 10, 10, 40, 40, BoxData(TwoFrameGif(c.redDelay, c.blueDelay), 1));
        Load(form);
        auto changes = SampleChanges(BoxWindow(box), 9);
        std::vector<DWORD> red, blue;
        for (size_t i = 1; i + 1 < changes.size(); ++i) {  // whole periods only
            const COLORREF colour = changes[i].second;
            ASSERT_TRUE(colour == kRed || colour == kBlue) << std::hex << colour;
            (colour == kRed ? red : blue).push_back(changes[i + 1].first - changes[i].first);
        }
        ASSERT_GE(red.size(), 3u);
        ASSERT_GE(blue.size(), 3u);
        EXPECT_GE(Median(red) + 25, c.redShown) << "red";
        EXPECT_LE(Median(red), c.redShown + 120) << "red";
        EXPECT_GE(Median(blue) + 25, c.blueShown) << "blue";
        EXPECT_LE(Median(blue), c.blueShown + 120) << "blue";
    }
}

TEST(PictureBoxAnimation, StopsItsThreadWhenToldOrWhenTheWindowCloses) {
    PictureBoxData data = BoxData(TwoFrameGif(5, 5), 1);
    data.PlayAnimation = false;
    FormBuilder form(kForm, kWindowType, 200, 200);
    uint32_t box = AddBox(form, 10, 10, 40, 40, data);
    uint32_t witness = AddBox(form, 100, 10, 40, 40, BoxData(TwoFrameGif(5, 5), 1));
    Load(form);
    ASSERT_TRUE(FramesChanged(BoxWindow(witness), 3));
    EXPECT_EQ(ClientPixel(BoxWindow(box), 10, 10), kRed) << "not playing: the first frame stays";
    rt::WriteProperty(kForm, witness, kPlayAnimation, -1, 0);
    const int before = ThreadsOfThisProcess();
    ASSERT_GT(before, 0);

    rt::WriteProperty(kForm, box, kPlayAnimation, -1, 1);
    ASSERT_TRUE(PumpUntil([&] { return ClientPixel(BoxWindow(box), 10, 10) == kBlue; }, 2000));
    EXPECT_EQ(ThreadsOfThisProcess(), before + 1);
    rt::WriteProperty(kForm, box, kPlayAnimation, -1, 0);
    EXPECT_EQ(ThreadsOfThisProcess(), before);

    rt::WriteProperty(kForm, box, kPlayAnimation, -1, 1);
    ASSERT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() == before + 1; }, 2000));
    WritePicture(box, Solid(4, 4, kYellow));
    EXPECT_EQ(ThreadsOfThisProcess(), before) << "a still picture needs no thread";
    EXPECT_EQ(ClientPixel(BoxWindow(box), 10, 10), kYellow);

    WritePicture(box, TwoFrameGif(5, 5));
    ASSERT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() == before + 1; }, 2000));
    HWND formWindow = GetAncestor(BoxWindow(box), GA_ROOT);
    DestroyWindow(formWindow);
    EXPECT_FALSE(IsWindow(formWindow));
    EXPECT_EQ(ThreadsOfThisProcess(), before);
}

TEST(PictureBoxAnimation, TheFirstFrameLooksTheSameBeforeWhileAndAfterItPlays) {
    // The first frame covers the left half, with transparent pixels; the second is blue.
    components::testing::GifBuilder gif(8, 8, {0xFF0000, 0x0000FF, 0x808080});
    Bytes firstFrame;
    for (int i = 0; i < 32; ++i) firstFrame.push_back(i % 2 ? 2 : 0);
    gif.Control(300, 1, 2).Image(0, 0, 4, 8, firstFrame);
    gif.Control(300, 1).Image(0, 0, 8, 8, Bytes(64, 1));
    PictureBoxData data = BoxData(gif.Finish(), 0, kGreen);
    data.PlayAnimation = false;
    FormBuilder form(kForm, kWindowType, 200, 200);
    uint32_t box = AddBox(form, 10, 10, 40, 40, data);
    Load(form);
    const HWND window = BoxWindow(box);
    RECT client;
    GetClientRect(window, &client);
    const std::vector<COLORREF> still = components::testing::ClientPixels(window, client);
    EXPECT_EQ(std::count(still.begin(), still.end(), kRed), 16);
    const int threads = ThreadsOfThisProcess();

    rt::WriteProperty(kForm, box, kPlayAnimation, -1, 1);
    ASSERT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() == threads + 1; }, 2000));
    // The first frame shows for 3 s: long enough to see the thread draw it.
    const DWORD start = GetTickCount();
    int differing = 0;
    ASSERT_TRUE(PumpUntil([&] {
        differing += components::testing::ClientPixels(window, client) != still;
        return GetTickCount() - start > 400;
    }));
    EXPECT_EQ(differing, 0) << "the animation's first frame differs from the picture shown before it played";

    rt::WriteProperty(kForm, box, kPlayAnimation, -1, 0);
    ASSERT_TRUE(rt::testing::Drain());
    EXPECT_EQ(components::testing::ClientPixels(window, client), still) << "after it stopped";
}

}  // namespace
