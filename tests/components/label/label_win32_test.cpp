// The label under Wine: the gradient frame and its run-time width, gradient
// backgrounds drawn in tiles without seams, background pictures,
// undecodable pictures, and the caption as window text.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "components/label/gradient_colours.h"
#include "components/label/label_data.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"
#include "support/control_test_library_win32.h"

namespace {

using namespace components::testing;
using components::LabelData;
using rt::testing::ClientPixel;
using rt::testing::FormBuilder;
using rt::testing::kVisible;

constexpr int kBorderWidth = 11, kBackPicture = 18;
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kWhite = RGB(255, 255, 255), kYellow = RGB(255, 255, 0);

std::vector<uint8_t> LabelBytes(const std::function<void(LabelData&)>& change) {
    LabelData data;
    data.BackColor = kWhite;
    change(data);
    return data.Write();
}

uint32_t AddLabel(FormBuilder& form, int left, int top, int width, int height,
                  const std::function<void(LabelData&)>& change) {
    return form.Add(kLabelType, "标签", left, top, width, height, kVisible, LabelBytes(change));
}

TEST(LabelFrame, BorderWidthBelowFiveAtRunTimeGivesAFivePixelFrame) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t label = AddLabel(form, 10, 10, 60, 40, [](LabelData& d) {
        d.border = 6;
        d.BorderWidth = 8;
        d.BorderColor1 = kRed;
        d.BorderColor2 = kGreen;
        d.BorderColor3 = kBlue;
    });
    LoadControls(form, nullptr, 0);
    HWND window = ControlWindow(label);
    EXPECT_EQ(ClientPixel(window, 7, 20), kBlue);
    EXPECT_EQ(ClientPixel(window, 8, 20), kWhite);

    rt::WriteProperty(kForm, label, kBorderWidth, -1, 2);
    EXPECT_EQ(rt::ReadProperty(kForm, label, kBorderWidth, -1), 5u);
    const std::pair<int, COLORREF> row[] = {{0, kRed}, {2, kGreen}, {4, kBlue}, {5, kWhite},
                                            {54, kWhite}, {55, kBlue}, {59, kRed}};
    for (const auto& [x, colour] : row) EXPECT_EQ(ClientPixel(window, x, 20), colour) << "x " << x;
    EXPECT_EQ(ClientPixel(window, 30, 4), kBlue);
    EXPECT_EQ(ClientPixel(window, 30, 5), kWhite);
}

TEST(LabelCaption, WindowTextFollowsTheCaptionForReaders) {
    constexpr int kCaption = 8;
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t label = AddLabel(form, 10, 10, 60, 40, [](LabelData& d) { d.caption = "验证码"; });
    LoadControls(form, nullptr, 0);
    HWND window = ControlWindow(label);
    wchar_t text[32] = {};
    GetWindowTextW(window, text, 32);
    EXPECT_STREQ(text, L"\u9A8C\u8BC1\u7801");

    rt::WriteProperty(kForm, label, kCaption, -1, reinterpret_cast<uintptr_t>("4711"));
    GetWindowTextW(window, text, 32);
    EXPECT_STREQ(text, L"4711");
}

TEST(LabelProperties, WritingTheValueItHasLeavesTheLabelUnpainted) {
    constexpr int kCaption = 8, kBackColor = 17;
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t label = AddLabel(form, 10, 10, 60, 40, [](LabelData& d) { d.caption = "甲"; });
    LoadControls(form, nullptr, 0);
    HWND window = ControlWindow(label);
    auto invalidAfter = [&](int property, uint64_t value) {
        ValidateRect(window, nullptr);
        rt::WriteProperty(kForm, label, property, -1, value);
        return GetUpdateRect(window, nullptr, FALSE) != FALSE;
    };
    EXPECT_FALSE(invalidAfter(kCaption, reinterpret_cast<uintptr_t>("甲")));
    EXPECT_FALSE(invalidAfter(kBackColor, kWhite));
    EXPECT_TRUE(invalidAfter(kCaption, reinterpret_cast<uintptr_t>("乙")));
    EXPECT_TRUE(invalidAfter(kBackColor, kRed));
}

TEST(LabelGradient, TilesJoinIntoOneGradientOverTheWholeLabel) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    constexpr int kWidth = 120, kHeight = 70;
    uint32_t label = AddLabel(form, 10, 10, kWidth, kHeight, [](LabelData& d) {
        d.GradientStyle = components::kGradientTopLeftToBottomRight;
        d.GradientColor1 = kRed;
        d.GradientColor2 = 0xFF000000;
        d.GradientColor3 = kBlue;
    });
    LoadControls(form, nullptr, 0);
    std::vector<COLORREF> pixels = ClientPixels(ControlWindow(label));
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth * kHeight));
    components::GradientStops stops;
    ASSERT_TRUE(components::MakeGradientStops(kRed, 0xFF000000, kBlue, &stops));
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint32_t expected = components::GradientPixel(components::kGradientTopLeftToBottomRight, stops, x, y,
                                                          kWidth, kHeight);
            if (pixels[static_cast<size_t>(y * kWidth + x)] != expected) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(LabelPicture, ModesCoverTheirPlacesAndTheRestIsBackground) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    std::vector<uint8_t> picture = SolidBitmapFile(10, 6, kYellow);
    auto withPicture = [&](int mode) {
        return [&picture, mode](LabelData& d) {
            d.BackPicture = picture;
            d.PictureMode = mode;
        };
    };
    uint32_t topLeft = AddLabel(form, 10, 10, 40, 30, withPicture(0));
    uint32_t tiled = AddLabel(form, 60, 10, 40, 30, withPicture(1));
    uint32_t centred = AddLabel(form, 110, 10, 40, 30, withPicture(2));
    uint32_t damaged = AddLabel(form, 160, 10, 40, 30, [](LabelData& d) { d.BackPicture = {'B', 'M', 1, 2, 3, 4, 5, 6}; });
    LoadControls(form, nullptr, 0);
    EXPECT_EQ(ClientPixel(ControlWindow(topLeft), 9, 5), kYellow);
    EXPECT_EQ(ClientPixel(ControlWindow(topLeft), 10, 5), kWhite);
    EXPECT_EQ(ClientPixel(ControlWindow(topLeft), 5, 6), kWhite);
    EXPECT_EQ(ClientPixel(ControlWindow(tiled), 39, 29), kYellow);
    EXPECT_EQ(ClientPixel(ControlWindow(centred), 15, 12), kYellow);  // at (15, 12) to (25, 18)
    EXPECT_EQ(ClientPixel(ControlWindow(centred), 14, 12), kWhite);
    EXPECT_EQ(ClientPixel(ControlWindow(centred), 24, 17), kYellow);
    EXPECT_EQ(ClientPixel(ControlWindow(centred), 25, 17), kWhite);
    // A picture that cannot be decoded is dropped from the property.
    EXPECT_EQ(ClientPixel(ControlWindow(damaged), 5, 5), kWhite);
    auto bytes = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(rt::ReadProperty(kForm, damaged, kBackPicture, -1)));
    EXPECT_EQ(bytes, nullptr);
    rt::Free(bytes);
}

}  // namespace
