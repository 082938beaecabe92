#include <gtest/gtest.h>

#include "runtime/form_template.h"
#include "runtime/type_references.h"
#include "runtime/unit_fields.h"
#include "tools/uidriver/form_matcher.h"

namespace {

using uidriver::ObservedWindow;
using uidriver::TemplateMap;

constexpr uint32_t kMainForm = 0x52000001, kRegisterForm = 0x52000002, kEmptyForm = 0x52000003,
                   kOtherTypeForm = 0x52000004;

rt::UnitFields Unit(uint32_t id, uint32_t type, int width = 80, int height = 24) {
    rt::UnitFields unit;
    unit.id = id;
    unit.typeReference = type;
    unit.width = width;
    unit.height = height;
    unit.name = "u" + std::to_string(id & 0xFF);
    return unit;
}

// Two forms with the same control ids told apart only by classes (like a
// main window and a registration window with seven components each), a form
// without components and one with a type the driver does not know.
TemplateMap SampleMap() {
    rt::FormTemplate formTemplate;
    auto add = [&](uint32_t id, std::vector<rt::UnitFields> units) {
        rt::FormRecord form;
        form.id = id;
        EXPECT_EQ(form.SetUnits(units), rt::ReadStatus::kOk);
        formTemplate.forms.push_back(std::move(form));
    };
    add(kMainForm, {Unit(0x06000001, rt::kWindowTypeReference, 600, 450), Unit(0x16000002, 0x00010025),
                    Unit(0x16000003, 0x0001000E), Unit(0x16000004, 0x00020001)});
    add(kRegisterForm, {Unit(0x06000010, rt::kWindowTypeReference, 380, 371), Unit(0x16000011, 0x0001000A),
                        Unit(0x16000012, 0x00010005), Unit(0x16000013, 0x0001000B)});
    add(kEmptyForm, {Unit(0x06000020, rt::kWindowTypeReference, 200, 100)});
    add(kOtherTypeForm, {Unit(0x06000030, rt::kWindowTypeReference, 300, 300), Unit(0x16000031, 0x00030007),
                         Unit(0x16000032, 0x0001000B), Unit(0x16000033, 0x0001000B), Unit(0x16000034, 0x0001000B),
                         Unit(0x16000035, 0x0001000B)});
    std::vector<uint8_t> bytes = formTemplate.Write();
    TemplateMap map;
    EXPECT_EQ(TemplateMap::Read(bytes.data(), bytes.size(), &map), rt::ReadStatus::kOk);
    return map;
}

ObservedWindow Window(int width, int height, std::vector<std::pair<int, std::string>> controls) {
    ObservedWindow window;
    window.width = width;
    window.height = height;
    for (auto& [id, className] : controls) window.controls.push_back({id, className});
    return window;
}

uint32_t Identified(const TemplateMap& map, const ObservedWindow& window) {
    const uidriver::TemplateForm* form = uidriver::IdentifyForm(map, window);
    return form ? form->id : 0;
}

TEST(FormMatching, ControlClassesTellFormsWithTheSameIdsApart) {
    TemplateMap map = SampleMap();
    // Creation runs from the last unit: the image button is 100, the client 120.
    EXPECT_EQ(Identified(map, Window(600, 450, {{100, "Button"}, {110, "ComboBox"}, {120, "_WK_ClientSock"},
                                                {1001, "Edit"}})),
              kMainForm);
    EXPECT_EQ(Identified(map, Window(380, 371, {{100, "BUTTON"}, {110, "edit"}, {120, "_WK_Label"}})), kRegisterForm);
    // The size is only a hint: a window of another size is still recognised.
    EXPECT_EQ(Identified(map, Window(640, 480, {{100, "Button"}, {110, "ComboBox"}, {120, "_WK_ClientSock"}})),
              kMainForm);
}

TEST(FormMatching, MissingWrongOrExtraComponentsRuleAFormOut) {
    TemplateMap map = SampleMap();
    const struct {
        const char* what;
        ObservedWindow window;
    } cases[] = {
        {"missing component", Window(600, 450, {{100, "Button"}, {110, "ComboBox"}})},
        {"wrong class", Window(600, 450, {{100, "Button"}, {110, "Edit"}, {120, "_WK_ClientSock"}})},
        {"extra component id", Window(600, 450, {{100, "Button"}, {110, "ComboBox"}, {120, "_WK_ClientSock"},
                                                 {130, "Button"}})},
        {"message box", Window(380, 371, {{1, "Button"}, {2, "Button"}, {0xFFFF, "Static"}})},
    };
    for (const auto& c : cases) EXPECT_EQ(Identified(map, c.window), 0u) << c.what;
    // Children of controls that are not components (a spin box at id + 4) do not count.
    EXPECT_EQ(Identified(map, Window(380, 371, {{100, "Button"}, {110, "Edit"}, {114, "msctls_updown32"},
                                                {120, "_WK_Label"}})),
              kRegisterForm);
}

TEST(FormMatching, UnknownTypesAcceptAnyClassAndEmptyFormsNeedTheirSize) {
    TemplateMap map = SampleMap();
    EXPECT_EQ(Identified(map, Window(300, 300, {{100, "Button"}, {110, "Button"}, {120, "Button"}, {130, "Button"},
                                                {140, "SomethingElse"}})),
              kOtherTypeForm);
    EXPECT_EQ(Identified(map, Window(200, 100, {})), kEmptyForm);
    EXPECT_EQ(Identified(map, Window(201, 100, {})), 0u);
    EXPECT_LT(uidriver::FormMatchScore(*map.FindForm(kEmptyForm), Window(200, 100, {{100, "Button"}})), 0);
}

}  // namespace
