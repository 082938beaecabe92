#include "tools/uidriver/template_map.h"

#include <optional>

#include "runtime/component_type_names.h"
#include "runtime/form_template.h"
#include "runtime/type_references.h"

namespace uidriver {
namespace {

constexpr int kFirstControlId = 100;
constexpr int kControlIdStep = 10;

struct WindowClass {
    uint32_t typeReference;
    const char* name;
};

constexpr WindowClass kWindowClasses[] = {
    {rt::kWindowTypeReference, "QMWindow"},
    {rt::kEditBoxTypeReference, "Edit"},
    {rt::kPictureBoxTypeReference, "_WK_PicBox"},
    {rt::kLabelTypeReference, "_WK_Label"},
    {rt::kButtonTypeReference, "Button"},
    {rt::kCheckBoxTypeReference, "Button"},
    {rt::kComboBoxTypeReference, "ComboBox"},
    {rt::kTimerTypeReference, "_WK_Timer"},
    {rt::kClientTypeReference, "_WK_ClientSock"},
    {rt::kImageButtonTypeReference, "Button"},
    {rt::kTransparentLabelTypeReference, "_WK_TransLabel"},
};

TemplateForm DescribeForm(const rt::FormRecord& record, const std::set<uint32_t>& absentTypes) {
    TemplateForm form;
    form.id = record.id;
    uint32_t count = record.UnitCount();
    form.units.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        rt::UnitRecord unit = record.Unit(i);
        TemplateUnit& entry = form.units[i];
        entry.unitId = unit.Id();
        entry.typeReference = unit.TypeReference();
        entry.name = std::string(unit.Name());
        if (unit.IsMenuItem()) {
            entry.controlId = -1;
            continue;
        }
        if (absentTypes.count(entry.typeReference)) entry.controlId = -1;
        entry.parentUnitId = unit.Parent();
        entry.left = unit.Left();
        entry.top = unit.Top();
        entry.width = unit.Width();
        entry.height = unit.Height();
        entry.visible = unit.Visible();
        entry.disabled = unit.Disabled();
        entry.tag = std::string(unit.Tag());
    }
    // The loader numbers component windows as it creates them: last unit first.
    int next = kFirstControlId;
    for (uint32_t i = count; i-- > 1;) {
        if (form.units[i].controlId == -1) continue;  // a menu item, or a type the program lacks
        form.units[i].controlId = next;
        next += kControlIdStep;
    }
    return form;
}

}  // namespace

const TemplateUnit* TemplateForm::FindByName(std::string_view gbkName) const {
    for (size_t i = 1; i < units.size(); ++i)
        if (units[i].name == gbkName) return &units[i];
    return nullptr;
}

const TemplateUnit* TemplateForm::FindByControlId(int controlId) const {
    for (size_t i = 1; i < units.size(); ++i)
        if (units[i].controlId == controlId) return &units[i];
    return nullptr;
}

rt::ReadStatus TemplateMap::Read(const uint8_t* data, size_t size, TemplateMap* out,
                                 const std::set<uint32_t>& absentTypes) {
    rt::FormTemplate formTemplate;
    rt::ReadStatus status = rt::FormTemplate::Read(data, size, &formTemplate);
    if (status != rt::ReadStatus::kOk) return status;
    TemplateMap map;
    for (const rt::FormRecord& record : formTemplate.forms) {
        if (record.UnitCount() == 0) return rt::ReadStatus::kBadLayout;
        map.forms_.push_back(DescribeForm(record, absentTypes));
    }
    *out = std::move(map);
    return rt::ReadStatus::kOk;
}

const TemplateForm* TemplateMap::FindForm(uint32_t formId) const {
    for (const TemplateForm& form : forms_)
        if (form.id == formId) return &form;
    return nullptr;
}

const char* ExpectedWindowClass(uint32_t typeReference) {
    for (const WindowClass& windowClass : kWindowClasses)
        if (windowClass.typeReference == typeReference) return windowClass.name;
    return nullptr;
}

const char* TypeName(uint32_t typeReference) {
    const char* name = rt::ComponentTypeName(typeReference);
    return name ? name : "other";
}

bool ParseTypeReference(std::string_view text, uint32_t* typeReference) {
    std::optional<uint32_t> parsed = rt::TypeReferenceByName(text);
    if (!parsed) parsed = rt::ParseLibraryAndIndex(text);
    // Libraries and type indices count from 1: a 0 names no type a program has.
    if (!parsed || (*parsed >> 16) == 0 || (*parsed & 0xFFFF) == 0) return false;
    *typeReference = *parsed;
    return true;
}

}  // namespace uidriver
