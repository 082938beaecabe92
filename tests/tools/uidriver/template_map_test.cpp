#include <gtest/gtest.h>

#include "runtime/form_template.h"
#include "runtime/type_references.h"
#include "runtime/unit_fields.h"
#include "tools/uidriver/template_map.h"

namespace {

using rt::UnitFields;
using uidriver::TemplateMap;

constexpr uint32_t kEditBox = 0x00010005, kLabel = 0x0001000A, kButton = 0x0001000B, kPictureBox = 0x00010006,
                   kTimer = 0x00010020, kMenuItem = 0x00010003;

UnitFields Unit(uint32_t id, uint32_t type, std::string name, uint32_t parent = 0) {
    UnitFields unit;
    unit.id = id;
    unit.typeReference = type;
    unit.name = std::move(name);
    unit.parent = parent;
    unit.left = 8;
    unit.top = 16;
    unit.width = 80;
    unit.height = 24;
    unit.flags = rt::kUnitFlagVisible;
    return unit;
}

std::vector<uint8_t> TemplateBytes(const std::vector<std::pair<uint32_t, std::vector<UnitFields>>>& forms) {
    rt::FormTemplate formTemplate;
    for (const auto& [id, units] : forms) {
        rt::FormRecord form;
        form.id = id;
        EXPECT_EQ(form.SetUnits(units), rt::ReadStatus::kOk);
        formTemplate.forms.push_back(std::move(form));
    }
    return formTemplate.Write();
}

UnitFields Window(uint32_t id, int width, int height) {
    UnitFields window = Unit(id, rt::kWindowTypeReference, "");
    window.width = width;
    window.height = height;
    return window;
}

TEST(TemplateMap, ComponentsAreNumberedFromTheLastUnitDownSkippingMenuItems) {
    UnitFields menu;
    menu.id = 0x26000005;
    menu.typeReference = kMenuItem;
    std::vector<uint8_t> bytes = TemplateBytes({{0x52000001,
                                                 {Window(0x06000001, 380, 371), Unit(0x16000002, kLabel, "标签_账号"),
                                                  Unit(0x16000003, kEditBox, "编辑框_账号"),
                                                  Unit(0x16000004, kPictureBox, "图片框1"), menu,
                                                  Unit(0x16000006, kTimer, "时钟1", 0x16000004),
                                                  Unit(0x16000007, kButton, "按钮1")}}});
    TemplateMap map;
    ASSERT_EQ(TemplateMap::Read(bytes.data(), bytes.size(), &map), rt::ReadStatus::kOk);
    const uidriver::TemplateForm* form = map.FindForm(0x52000001);
    ASSERT_NE(form, nullptr);
    struct Expected {
        const char* name;
        int controlId;
    } expected[] = {{"按钮1", 100}, {"时钟1", 110}, {"图片框1", 120}, {"编辑框_账号", 130}, {"标签_账号", 140}};
    for (const Expected& e : expected) {
        const uidriver::TemplateUnit* unit = form->FindByName(e.name);
        ASSERT_NE(unit, nullptr) << e.controlId;
        EXPECT_EQ(unit->controlId, e.controlId) << e.controlId;
        EXPECT_EQ(form->FindByControlId(e.controlId), unit);
    }
    EXPECT_EQ(form->units[4].controlId, -1);  // the menu item has no window
    EXPECT_EQ(form->units[0].controlId, 0);
    EXPECT_EQ(form->units[0].width, 380);
    EXPECT_EQ(form->FindByName("时钟1")->parentUnitId, 0x16000004u);
    EXPECT_EQ(form->FindByName("没有"), nullptr);
    EXPECT_EQ(form->FindByControlId(150), nullptr);
    EXPECT_EQ(map.FindForm(0x52000002), nullptr);
}

TEST(TemplateMap, FormsKeepTheirOwnNumbering) {
    std::vector<uint8_t> bytes =
        TemplateBytes({{0x52000001, {Window(0x06000001, 600, 450), Unit(0x16000002, kButton, "按钮1")}},
                       {0x52000010,
                        {Window(0x06000010, 300, 200), Unit(0x16000011, kButton, "按钮1"),
                         Unit(0x16000012, kLabel, "标签1")}}});
    TemplateMap map;
    ASSERT_EQ(TemplateMap::Read(bytes.data(), bytes.size(), &map), rt::ReadStatus::kOk);
    ASSERT_EQ(map.Forms().size(), 2u);
    EXPECT_EQ(map.FindForm(0x52000001)->FindByName("按钮1")->controlId, 100);
    EXPECT_EQ(map.FindForm(0x52000010)->FindByName("按钮1")->controlId, 110);
}

TEST(TemplateMap, DamagedTemplatesAreRefusedAndLeaveTheMapAlone) {
    std::vector<uint8_t> good =
        TemplateBytes({{0x52000001, {Window(0x06000001, 600, 450), Unit(0x16000002, kButton, "按钮1")}}});
    TemplateMap map;
    ASSERT_EQ(TemplateMap::Read(good.data(), good.size(), &map), rt::ReadStatus::kOk);
    for (size_t length : {size_t(0), size_t(3), good.size() / 2, good.size() - 1}) {
        EXPECT_NE(TemplateMap::Read(good.data(), length, &map), rt::ReadStatus::kOk) << length;
        EXPECT_EQ(map.Forms().size(), 1u) << length;
    }
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_NE(TemplateMap::Read(longer.data(), longer.size(), &map), rt::ReadStatus::kOk);
}

TEST(TemplateMap, TypesTheProgramLacksGetNoIdAndShiftTheOthers) {
    std::vector<uint8_t> bytes = TemplateBytes({{0x52000001,
                                                 {Window(0x06000001, 600, 450), Unit(0x16000002, kLabel, "标签1"),
                                                  Unit(0x16000003, 0x00020001, "超级按钮1"),
                                                  Unit(0x16000004, kButton, "按钮1")}}});
    TemplateMap map;
    ASSERT_EQ(TemplateMap::Read(bytes.data(), bytes.size(), &map, {0x00020001}), rt::ReadStatus::kOk);
    const uidriver::TemplateForm* form = map.FindForm(0x52000001);
    EXPECT_EQ(form->FindByName("按钮1")->controlId, 100);
    EXPECT_EQ(form->FindByName("超级按钮1")->controlId, -1);
    EXPECT_EQ(form->FindByName("标签1")->controlId, 110);
}

TEST(TemplateMap, TypeReferencesAreWrittenAsLibraryAndIndexOrByName) {
    struct Case {
        const char* text;
        bool ok;
        uint32_t reference;
    } cases[] = {{"2:1", true, 0x00020001},  {"8:5", true, 0x00080005}, {"image_button", true, 0x00020001},
                 {"1:37", true, 0x00010025}, {"0:1", false, 0},         {"2:", false, 0},
                 {"2-1", false, 0},          {"2:x", false, 0},         {"button2", false, 0},
                 {"70000:1", false, 0}};
    for (const Case& c : cases) {
        uint32_t reference = 0;
        EXPECT_EQ(uidriver::ParseTypeReference(c.text, &reference), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(reference, c.reference) << c.text;
        }
    }
}

TEST(TemplateMap, KnownTypesNameTheirWindowClasses) {
    EXPECT_STREQ(uidriver::ExpectedWindowClass(kEditBox), "Edit");
    EXPECT_STREQ(uidriver::ExpectedWindowClass(0x00020001), "Button");  // image button
    EXPECT_STREQ(uidriver::ExpectedWindowClass(0x00080005), "_WK_TransLabel");
    EXPECT_EQ(uidriver::ExpectedWindowClass(0x00030007), nullptr);
    EXPECT_STREQ(uidriver::TypeName(0x0001000E), "combo_box");
}

}  // namespace
