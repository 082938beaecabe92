// Chinese texts reach Windows as characters and are drawn with Chinese glyphs
// whatever the system locale. CTest runs this test once more under a Chinese
// and an English locale; the English run compares its rendering with the one
// the Chinese run recorded.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "common/wine_path.h"
#include "components/transparent_label/transparent_label_data.h"
#include "components/window/window_data.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "support/form_harness_win32.h"
#include "support/window_test_library_win32.h"

namespace {

using rt::testing::FormBuilder;
using namespace components::testing;

constexpr uint32_t kForm = 0x52010001;
constexpr COLORREF kWhite = RGB(255, 255, 255);

uint32_t AddLabel(FormBuilder& form, const char* caption, int top, bool storedFont) {
    components::TransparentLabelData data;
    data.caption = caption;
    if (storedFont) {
        rt::LogFont font;
        font.lfHeight = -12;
        font.lfWeight = 400;
        font.lfCharSet = 1;  // "any": the system's choice would have no Chinese glyphs on a Western system
        font.SetFaceName("宋体");
        data.font = font;
    }
    return form.Add(kTransLabelType, caption, 10, top, 200, 24, rt::testing::kVisible, data.Write());
}

TEST(ChineseText, RendersTheSameGlyphsUnderAnyLocale) {
    FormBuilder form(kForm, kWindowType, 320, 140, WindowBytes([](components::WindowData& d) {
                         d.border = 0;
                         d.StartPosition = 0;
                         d.caption = "中文窗口";
                         d.BackColor = kWhite;
                     }));
    uint32_t hello = AddLabel(form, "你好", 10, false);
    uint32_t chinese = AddLabel(form, "中文", 40, false);
    uint32_t stored = AddLabel(form, "你好中文", 70, true);
    Start(rt::testing::BuildTemplate({form}));
    ASSERT_EQ(rt::LoadStartupWindow(kForm), 1);
    ASSERT_TRUE(rt::testing::Drain()) << "the form's first paint";
    HWND window = rt::WindowOfComponent(kForm, 0);

    wchar_t title[16] = {};
    GetWindowTextW(window, title, 16);
    EXPECT_STREQ(title, L"中文窗口");
    wchar_t text[16] = {};
    GetWindowTextW(rt::WindowOfComponent(kForm, hello), text, 16);
    EXPECT_STREQ(text, L"你好");

    // Missing glyphs all look alike: two different words must not.
    std::vector<COLORREF> helloPixels = ClientPixels(window, RECT{10, 10, 210, 34});
    std::vector<COLORREF> chinesePixels = ClientPixels(window, RECT{10, 40, 210, 64});
    EXPECT_GT(PixelsOtherThan(window, RECT{10, 10, 210, 34}, kWhite), 20);
    EXPECT_TRUE(helloPixels != chinesePixels) << "two words drawn alike: boxes instead of glyphs";

    std::vector<COLORREF> storedPixels = ClientPixels(window, RECT{10, 70, 210, 94});
    EXPECT_GT(PixelsOtherThan(window, RECT{10, 70, 210, 94}, kWhite), 40);
    (void)stored;
    (void)chinese;

    const char* record = std::getenv("LUMADREL_CHINESE_RENDERING");
    if (!record) return;
    std::string path = common::WindowsPath(record);
    if (GetACP() == 936) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(storedPixels.data()),
                  static_cast<std::streamsize>(storedPixels.size() * sizeof(COLORREF)));
        ASSERT_TRUE(out.good()) << path;
    } else {
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in.good()) << "no rendering recorded under the Chinese locale at " << path;
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<COLORREF> recorded(bytes.size() / sizeof(COLORREF));
        std::memcpy(recorded.data(), bytes.data(), recorded.size() * sizeof(COLORREF));
        EXPECT_TRUE(recorded == storedPixels) << "rendering differs from the Chinese locale's under code page " << GetACP();
    }
}

}  // namespace
