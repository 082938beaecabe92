#include "runtime/type_references.h"
#include "tools/uidriver/template_map.h"

#include "runtime/form_template.h"

namespace uidriver {
namespace {

constexpr int kFirstControlId = 100;
constexpr int kControlIdStep = 10;

struct KnownType {
    uint32_t reference;
    const char* name;
    const char* windowClass;
};

constexpr KnownType kKnownTypes[] = {
    {rt::kWindowTypeReference, "window", "QMWindow"},
    {rt::kEditBoxTypeReference, "edit_box", "Edit"},
    {rt::kPictureBoxTypeReference, "picture_box", "_WK_PicBox"},
    {rt::kLabelTypeReference, "label", "_WK_Label"},
    {rt::kButtonTypeReference, "button", "Button"},
    {rt::kCheckBoxTypeReference, "check_box", "Button"},
    {rt::kComboBoxTypeReference, "combo_box", "ComboBox"},
    {rt::kTimerTypeReference, "timer", "_WK_Timer"},
    {rt::kClientTypeReference, "client", "_WK_ClientSock"},
    {rt::kImageButtonTypeReference, "image_button", "Button"},
    {rt::kTransparentLabelTypeReference, "transparent_label", "_WK_TransLabel"},
};

const KnownType* FindKnownType(uint32_t reference) {
    for (const KnownType& type : kKnownTypes)
        if (type.reference == reference) return &type;
    return nullptr;
}

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
    const KnownType* type = FindKnownType(typeReference);
    return type ? type->windowClass : nullptr;
}

const char* TypeName(uint32_t typeReference) {
    const KnownType* type = FindKnownType(typeReference);
    return type ? type->name : "other";
}

bool ParseTypeReference(std::string_view text, uint32_t* typeReference) {
    for (const KnownType& type : kKnownTypes) {
        if (text == type.name) {
            *typeReference = type.reference;
            return true;
        }
    }
    size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    uint32_t parts[2] = {0, 0};
    std::string_view pieces[2] = {text.substr(0, colon), text.substr(colon + 1)};
    for (int i = 0; i < 2; ++i) {
        if (pieces[i].empty() || pieces[i].size() > 5) return false;
        for (char c : pieces[i]) {
            if (c < '0' || c > '9') return false;
            parts[i] = parts[i] * 10 + static_cast<uint32_t>(c - '0');
        }
        if (parts[i] == 0 || parts[i] > 0xFFFF) return false;
    }
    *typeReference = (parts[0] << 16) | parts[1];
    return true;
}

}  // namespace uidriver
