// What all standard controls share under Wine: Chinese texts reach Windows
// as the right characters and come back byte for byte, and damaged property
// data leaves the component out.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <vector>

#include "components/button/button_data.h"
#include "components/check_box/check_box_data.h"
#include "components/combo_box/combo_box_data.h"
#include "components/edit_box/edit_box_data.h"
#include "components/label/label_data.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"
#include "support/control_test_library_win32.h"

namespace {

using namespace components::testing;
using rt::testing::FormBuilder;
using rt::testing::kVisible;

const char kChinese[] = "中文测试：玩家①号，ABC";
const wchar_t kChineseWide[] = L"中文测试：玩家①号，ABC";

std::wstring WindowText(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

TEST(ControlTexts, ChineseTextsReachWindowsAsCharactersAndComeBackByteForByte) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    components::ComboBoxData combo;
    combo.ComboType = 1;
    struct TextProperty {
        uint32_t unit;
        int property;
        bool windowText;
    };
    const TextProperty properties[] = {
        {form.Add(kEditBoxType, "编辑框", 10, 10, 200, 24), 8, true},
        {form.Add(kComboBoxType, "组合框", 10, 40, 200, 24, kVisible, combo.Write()), 9, true},
        {form.Add(kButtonType, "按钮", 10, 70, 200, 24), 10, true},
        {form.Add(kCheckBoxType, "选择框", 10, 100, 200, 24), 11, true},
        {form.Add(kLabelType, "标签", 10, 130, 200, 24), 8, false},
    };
    LoadControls(form, nullptr, 0);
    for (const TextProperty& p : properties) {
        WriteText(p.unit, p.property, kChinese);
        EXPECT_EQ(ReadText(p.unit, p.property), kChinese) << p.property;
        if (p.windowText) {
            EXPECT_EQ(WindowText(ControlWindow(p.unit)), kChineseWide);
        }
    }

    uint32_t comboUnit = properties[1].unit;
    char* item = rt::CopyText(kChinese);
    void* items = nullptr;
    rt::AppendArrayElement(&items, sizeof item, &item);
    rt::WriteProperty(kForm, comboUnit, 20, -1, reinterpret_cast<uintptr_t>(items));
    rt::FreePointerArray(items);
    wchar_t listed[128] = {};
    SendMessageW(ControlWindow(comboUnit), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(listed));
    EXPECT_STREQ(listed, kChineseWide);
    void* back = reinterpret_cast<void*>(static_cast<uintptr_t>(rt::ReadProperty(kForm, comboUnit, 20, -1)));
    uint8_t* first = nullptr;
    ASSERT_EQ(rt::ArrayElementCount(back, &first), 1u);
    const char* text;
    std::memcpy(&text, first, sizeof text);
    EXPECT_STREQ(text, kChinese);
    rt::FreePointerArray(back);
}

// A changed menu item rebuilds the menu bar; its captions must still cross with code page 936.
TEST(MenuTexts, CaptionsWrittenAtRunTimeReachWindowsAsCharacters) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    uint32_t units[2];
    for (uint32_t& unit : units) {
        rt::UnitFields& fields = form.Unit(form.Add(kLabelType, "菜单", 0, 0, 0, 0));
        fields.id = 0x26000000u | (fields.id & 0xFFFFFF);
        fields.menuFlags = 1;
        fields.caption = "文件";
        unit = fields.id;
    }
    LoadControls(form, nullptr, 0);
    WriteText(units[1], 0, kChinese);
    rt::WriteProperty(kForm, units[0], 2, -1, 1);  // greyed
    HMENU menu = GetMenu(ControlWindow(form.WindowUnitId()));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    wchar_t caption[128] = {};
    GetMenuStringW(menu, 1, caption, 128, MF_BYPOSITION);
    EXPECT_STREQ(caption, kChineseWide);
    GetMenuStringW(menu, 0, caption, 128, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"文件");
    EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_EQ(ReadText(units[1], 0), kChinese);
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> data, size_t keep) {
    data.resize(keep);
    return data;
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t word : words)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
    return bytes;
}

TEST(ControlData, DamagedPropertyDataLeavesTheComponentOut) {
    struct Damaged {
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const std::vector<uint8_t> label = components::LabelData().Write(), edit = components::EditBoxData().Write(),
                               button = components::ButtonData().Write(), check = components::CheckBoxData().Write(),
                               combo = components::ComboBoxData().Write();
    const Damaged damaged[] = {
        {kLabelType, Words({3})},           {kLabelType, Truncated(label, label.size() - 1)},
        {kEditBoxType, Words({3})},         {kEditBoxType, Truncated(edit, 30)},
        {kButtonType, Words({2})},          {kButtonType, {1, 0}},
        {kCheckBoxType, Words({3})},        {kCheckBoxType, Truncated(check, check.size() - 5)},
        {kComboBoxType, Words({4})},        {kComboBoxType, Truncated(combo, combo.size() - 2)},
        // An item-value block whose length is not a multiple of four.
        {kComboBoxType, Words({0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 1, 2})},
    };
    FormBuilder form(kForm, kWindowType, 400, 300);
    std::vector<uint32_t> damagedUnits, goodUnits;
    for (const Damaged& d : damaged) damagedUnits.push_back(form.Add(d.type, "坏", 0, 0, 50, 20, kVisible, d.data));
    for (uint32_t type : {kLabelType, kEditBoxType, kButtonType, kCheckBoxType, kComboBoxType})
        goodUnits.push_back(form.Add(type, "好", 0, 30, 50, 20));
    LoadControls(form, nullptr, 0);
    ASSERT_NE(ControlWindow(0), nullptr);
    for (size_t i = 0; i < damagedUnits.size(); ++i) EXPECT_EQ(ControlWindow(damagedUnits[i]), nullptr) << i;
    for (uint32_t unit : goodUnits) EXPECT_NE(ControlWindow(unit), nullptr);
}

}  // namespace
