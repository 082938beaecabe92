// The check box under Wine: a click toggles it and raises event 0, whose
// handler already sees the new state.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "components/check_box/check_box_data.h"
#include "runtime/entry_points.h"
#include "support/control_test_library_win32.h"

namespace {

using namespace components::testing;
using rt::testing::FormBuilder;
using rt::testing::kVisible;

std::vector<int> g_checks;  // Checked as the click handler saw it
uint32_t g_checkUnit = 0;

int64_t RecordCheck(const uint32_t*, int) {
    g_checks.push_back(static_cast<int>(rt::ReadProperty(kForm, g_checkUnit, 18, -1)));
    return 0;
}
const rt::EventHandler kHandlers[] = {RecordCheck};

TEST(CheckBoxClicks, AClickTogglesAndRaisesEventZero) {
    FormBuilder form(kForm, kWindowType, 300, 200);
    components::CheckBoxData checked;
    checked.Checked = true;
    g_checkUnit = form.Add(kCheckBoxType, "选择框", 10, 10, 120, 24, kVisible, checked.Write());
    form.Bind(g_checkUnit, 0, 0);
    LoadControls(form, kHandlers, 1);
    EXPECT_EQ(ReadText(g_checkUnit, 11), "选择框");  // the default caption
    SendMessageW(ControlWindow(g_checkUnit), BM_CLICK, 0, 0);
    SendMessageW(ControlWindow(g_checkUnit), BM_CLICK, 0, 0);
    EXPECT_EQ(g_checks, (std::vector<int>{0, 1}));
}

}  // namespace
