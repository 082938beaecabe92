#include "support/control_test_library_win32.h"

#include <gtest/gtest.h>

#include "components/common/component_types_win32.h"
#include "runtime/component_object_win32.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/values.h"
#include "support/reflecting_window_win32.h"

namespace components::testing {
namespace {


constexpr uint32_t kFlags = rt::kTypeFlagCanRaiseEvents;
const rt::ComponentType kTypes[] = {
    {"窗口", "Window", kFlags, ReflectingWindowInterface},
    {"", "", 0, nullptr},
    {"", "", 0, nullptr},
    {"", "", 0, nullptr},
    {"编辑框", "EditBox", kFlags, components::EditBoxTypeInterface},
    {"", "", 0, nullptr},
    {"", "", 0, nullptr},
    {"", "", 0, nullptr},
    {"", "", 0, nullptr},
    {"标签", "Label", kFlags, components::LabelTypeInterface},
    {"按钮", "Button", kFlags, components::ButtonTypeInterface},
    {"选择框", "CheckBox", kFlags, components::CheckBoxTypeInterface},
    {"", "", 0, nullptr},
    {"组合框", "ComboBox", kFlags, components::ComboBoxTypeInterface},
};

const rt::SupportLibrary kLibrary = {
    rt::kLibraryRecordFormat, "0123456789ABCDEF0123456789ABCDEF", 5, 7, 0, "控件测试库", 0, nullptr,
    static_cast<int>(sizeof kTypes / sizeof kTypes[0]), kTypes, nullptr,
};

}  // namespace

const rt::SupportLibrary* ControlLibrary() { return &kLibrary; }

void LoadControls(const rt::testing::FormBuilder& form, const rt::EventHandler* handlers, int handlerCount) {
    rt::testing::StartRuntime(rt::testing::BuildTemplate({form}), {ControlLibrary()}, handlers, handlerCount);
    rt::LoadStartupWindow(form.FormId());
    EXPECT_TRUE(rt::testing::Drain()) << "the form's first paint";
}

HWND ControlWindow(uint32_t unitId) { return rt::WindowOfComponent(kForm, unitId); }

std::string ReadText(uint32_t unitId, int property) {
    auto text = reinterpret_cast<char*>(static_cast<uintptr_t>(rt::ReadProperty(kForm, unitId, property, -1)));
    std::string copy = text ? text : "";
    rt::Free(text);
    return copy;
}

void WriteText(uint32_t unitId, int property, const char* text) {
    rt::WriteProperty(kForm, unitId, property, -1, reinterpret_cast<uintptr_t>(text));
}

}  // namespace components::testing
