// The button under Wine: a click raises event 0, and a new picture re-creates
// the button with it.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "components/button/button_data.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"
#include "support/control_test_library_win32.h"

namespace {

using namespace components::testing;
using rt::testing::FormBuilder;
using rt::testing::kVisible;

int g_clicks = 0;

int64_t CountClick(const uint32_t*, int) {
    ++g_clicks;
    return 0;
}
const rt::EventHandler kHandlers[] = {CountClick};

TEST(ButtonClicks, AClickRaisesEventZero) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    uint32_t button = form.Add(kButtonType, "按钮", 10, 50, 80, 24);
    form.Bind(button, 0, 0);
    LoadControls(form, kHandlers, 1);
    SendMessageW(ControlWindow(button), BM_CLICK, 0, 0);
    EXPECT_EQ(g_clicks, 1);
}

TEST(ButtonPictures, ANewPictureReCreatesTheButtonWithIt) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    components::ButtonData data;
    data.caption = "确定";
    uint32_t button = form.Add(kButtonType, "按钮", 10, 50, 80, 24, kVisible, data.Write());
    LoadControls(form, nullptr, 0);
    HWND before = ControlWindow(button);
    int id = GetDlgCtrlID(before);
    std::vector<uint8_t> file = SolidBitmapFile(16, 16, RGB(0, 128, 0));
    uint8_t* bytes = rt::CopyBytes(file.data(), file.size());
    rt::WriteProperty(kForm, button, 8, -1, reinterpret_cast<uintptr_t>(bytes));
    rt::Free(bytes);
    HWND after = ControlWindow(button);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_EQ(GetDlgCtrlID(after), id);
    EXPECT_TRUE(IsWindowVisible(after));
    EXPECT_TRUE(GetWindowLongW(after, GWL_STYLE) & BS_BITMAP);
    EXPECT_NE(SendMessageW(after, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(ReadText(button, 10), "确定");
}

}  // namespace
