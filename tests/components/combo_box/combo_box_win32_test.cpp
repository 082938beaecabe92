// The combo box under Wine: selection clamping, item values by position,
// and the selection event for the user's choices only.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "components/combo_box/combo_box_data.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"
#include "support/control_test_library_win32.h"

namespace {

using namespace components::testing;
using components::ComboBoxData;
using rt::testing::FormBuilder;
using rt::testing::kVisible;

constexpr int kContent = 9, kSelStart = 11, kSelLength = 12, kCurSel = 19, kItems = 20, kItemData = 21;

std::vector<int> g_selections;  // CurSel as the selection handler saw it
std::vector<std::string> g_contents;  // and the content
int g_dropDowns = 0, g_closeUps = 0;
uint32_t g_comboUnit = 0;

int64_t RecordSelection(const uint32_t*, int) {
    g_selections.push_back(static_cast<int32_t>(rt::ReadProperty(kForm, g_comboUnit, kCurSel, -1)));
    g_contents.push_back(ReadText(g_comboUnit, kContent));
    return 0;
}
int64_t CountDropDown(const uint32_t*, int) {
    ++g_dropDowns;
    return 0;
}
int64_t CountCloseUp(const uint32_t*, int) {
    ++g_closeUps;
    return 0;
}
const rt::EventHandler kHandlers[] = {RecordSelection, CountDropDown, CountCloseUp};

std::vector<uint8_t> ComboBytes(const std::function<void(ComboBoxData&)>& change) {
    ComboBoxData data;
    data.ComboType = 2;
    data.items = {"一", "二", "三"};
    change(data);
    return data.Write();
}

std::vector<int32_t> ReadIntegers(uint32_t unit, int property) {
    void* array = reinterpret_cast<void*>(static_cast<uintptr_t>(rt::ReadProperty(kForm, unit, property, -1)));
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(array, &first);
    std::vector<int32_t> values(count);
    if (count) std::memcpy(values.data(), first, count * 4);
    rt::Free(array);
    return values;
}

void WriteIntegers(uint32_t unit, int property, const std::vector<int32_t>& values) {
    void* array = rt::CreateArray1(4, static_cast<uint32_t>(values.size()));
    uint8_t* first = nullptr;
    rt::ArrayElementCount(array, &first);
    if (!values.empty()) std::memcpy(first, values.data(), values.size() * 4);
    rt::WriteProperty(kForm, unit, property, -1, reinterpret_cast<uintptr_t>(array));
    rt::Free(array);
}

void WriteTexts(uint32_t unit, int property, const std::vector<const char*>& texts) {
    void* array = nullptr;
    for (const char* text : texts) {
        char* copy = rt::CopyText(text);
        rt::AppendArrayElement(&array, sizeof copy, &copy);
    }
    rt::WriteProperty(kForm, unit, property, -1, reinterpret_cast<uintptr_t>(array));
    rt::FreePointerArray(array);
}

uint32_t ItemValue(uint32_t unit, int item) {
    return static_cast<uint32_t>(SendMessageW(ControlWindow(unit), CB_GETITEMDATA, item, 0));
}

TEST(ComboBoxSelection, CurSelIsClampedWhenStoredAndWhenSet) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    const std::pair<int32_t, int> stored[] = {{5, 2}, {-7, -1}, {1, 1}, {-1, -1}, {3, 2}};
    std::vector<uint32_t> units;
    for (const auto& [value, expected] : stored)
        units.push_back(form.Add(kComboBoxType, "组合框", 10, 10 + 30 * static_cast<int>(units.size()), 120, 24,
                                 kVisible, ComboBytes([value = value](ComboBoxData& d) { d.CurSel = value; })));
    LoadControls(form, kHandlers, 3);
    for (size_t i = 0; i < units.size(); ++i) {
        EXPECT_EQ(SendMessageW(ControlWindow(units[i]), CB_GETCURSEL, 0, 0), stored[i].second) << stored[i].first;
        EXPECT_EQ(static_cast<int32_t>(rt::ReadProperty(kForm, units[i], kCurSel, -1)), stored[i].second);
    }
    for (const auto& [value, expected] : stored) {
        rt::WriteProperty(kForm, units[0], kCurSel, -1, static_cast<uint32_t>(value));
        EXPECT_EQ(static_cast<int32_t>(rt::ReadProperty(kForm, units[0], kCurSel, -1)), expected) << value;
    }
}

TEST(ComboBoxItems, ValuesGoWithTheItemsAtTheirPositions) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    uint32_t fewer = form.Add(kComboBoxType, "组合框", 10, 10, 120, 24, kVisible,
                              ComboBytes([](ComboBoxData& d) { d.ItemData = {7, 9}; }));
    uint32_t sorted = form.Add(kComboBoxType, "组合框", 10, 50, 120, 24, kVisible, ComboBytes([](ComboBoxData& d) {
                                   d.sorted = true;
                                   d.items = {"c", "a", "b"};
                                   d.ItemData = {3, 1, 2};
                               }));
    LoadControls(form, kHandlers, 3);
    EXPECT_EQ(ItemValue(fewer, 0), 7u);
    EXPECT_EQ(ItemValue(fewer, 1), 9u);
    EXPECT_EQ(ItemValue(fewer, 2), 0u);
    EXPECT_EQ(ReadIntegers(fewer, kItemData), (std::vector<int32_t>{7, 9, 0}));
    EXPECT_EQ(ReadIntegers(sorted, kItemData), (std::vector<int32_t>{1, 2, 3}));

    // New items keep the values of the positions that remain.
    WriteTexts(fewer, kItems, {"甲", "乙", "丙", "丁"});
    EXPECT_EQ(ReadIntegers(fewer, kItemData), (std::vector<int32_t>{7, 9, 0, 0}));
    WriteIntegers(fewer, kItemData, {5, -1});
    EXPECT_EQ(ReadIntegers(fewer, kItemData), (std::vector<int32_t>{5, -1, 0, 0}));
}

TEST(ComboBoxSelection, OnlyTheUsersChoiceRaisesEventZeroOnceItIsInPlace) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    g_comboUnit = form.Add(kComboBoxType, "组合框", 10, 10, 120, 24, kVisible,
                           ComboBytes([](ComboBoxData& d) { d.CurSel = 0; }));
    form.Bind(g_comboUnit, 0, 0);
    form.Bind(g_comboUnit, 2, 1);
    form.Bind(g_comboUnit, 3, 2);
    g_selections.clear();
    g_contents.clear();
    LoadControls(form, kHandlers, 3);
    HWND combo = ControlWindow(g_comboUnit);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(combo, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(rt::testing::Drain()) << "the choice with the keys";
    EXPECT_EQ(g_selections, (std::vector<int>{1}));
    EXPECT_EQ(g_dropDowns, 1);
    EXPECT_EQ(g_closeUps, 1);

    rt::WriteProperty(kForm, g_comboUnit, kCurSel, -1, 2);
    WriteTexts(g_comboUnit, kItems, {"甲", "乙"});
    ASSERT_TRUE(rt::testing::Drain()) << "what the program's changes posted";
    EXPECT_EQ(g_selections.size(), 1u);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);  // the old selection, clamped to the new list
}

TEST(ComboBoxSelection, AClickInTheListIsReportedWithTheNewTextInTheEditField) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    g_comboUnit = form.Add(kComboBoxType, "组合框", 10, 10, 120, 24, kVisible, ComboBytes([](ComboBoxData& d) {
                               d.ComboType = 1;
                               d.CurSel = 0;
                           }));
    form.Bind(g_comboUnit, 0, 0);
    g_selections.clear();
    g_contents.clear();
    LoadControls(form, kHandlers, 3);
    HWND combo = ControlWindow(g_comboUnit);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    RECT item;
    SendMessageW(info.hwndList, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    LPARAM point = MAKELPARAM(item.left + 2, item.top + 2);
    SendMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(info.hwndList, WM_LBUTTONUP, 0, point);
    ASSERT_TRUE(rt::testing::Drain()) << "the click in the list";
    EXPECT_EQ(g_selections, (std::vector<int>{2}));
    EXPECT_EQ(g_contents, (std::vector<std::string>{"三"}));
}

// The main window's window-size combo: a text a pixel wider than its field.
// Taking the focus selects the whole text; the text must still show from its
// first character.
TEST(ComboBoxText, AFocusedComboShowsItsWholeTextWhenItFits) {
    FormBuilder form(kForm, kWindowType, 400, 300);
    uint32_t unit = form.Add(kComboBoxType, "组合框_窗口设置", 10, 2, 72, 20, kVisible | rt::testing::kTabStop,
                             ComboBytes([](ComboBoxData& d) {
                                 d.ComboType = 1;
                                 d.ItemHeightExtra = 1;
                                 d.BackColor = 0xFFFFFF;
                                 d.CurSel = 0;
                                 d.content = "窗口设置";
                                 d.items = {"中窗口", "小窗口", "大窗口"};
                             }));
    LoadControls(form, kHandlers, 3);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(ControlWindow(unit), &info));
    HWND edit = info.hwndItem;
    SetFocus(ControlWindow(unit));  // as the form's activation gives it to its first tab stop
    ASSERT_TRUE(rt::testing::Drain());
    ASSERT_EQ(GetFocus(), edit);
    EXPECT_EQ(rt::ReadProperty(kForm, unit, kSelStart, -1), 0);
    EXPECT_EQ(rt::ReadProperty(kForm, unit, kSelLength, -1), 8) << "the whole text stays selected";

    SIZE size{};
    std::vector<COLORREF> text = rt::testing::TextPixels(
        reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), L"窗口设置", GetSysColor(COLOR_HIGHLIGHTTEXT),
        GetSysColor(COLOR_HIGHLIGHT), &size);
    // The field draws inside its format rectangle, which may clip the last
    // glyph's trailing pixel column; everything before it must show.
    RECT client{}, format{};
    GetClientRect(edit, &client);
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int drawn = std::min<int>(size.cx, format.right - format.left);
    ASSERT_GE(drawn, size.cx - 1) << "this font's text is wider than the field";
    std::vector<COLORREF> visible;
    for (int y = 0; y < size.cy; ++y)
        visible.insert(visible.end(), text.begin() + y * size.cx, text.begin() + y * size.cx + drawn);
    HideCaret(edit);
    std::vector<COLORREF> shown = ClientPixels(edit, client);
    ShowCaret(edit);
    EXPECT_TRUE(rt::testing::ContainsBlock(shown, client.right, visible, drawn))
        << "the field does not show the text from its first character";
}

}  // namespace
