// What the driver knows of a program's forms from its window template: each
// form's units with their names and places, and the control id each component
// window gets when the form is loaded (100, 110, ... in creation order, which
// runs from the last unit down to unit 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/read_status.h"

namespace uidriver {

struct TemplateUnit {
    uint32_t unitId = 0;
    uint32_t typeReference = 0;
    std::string name;  // GBK, as stored
    int controlId = 0;  // 0 for the window; -1 for a unit that gets no window
    uint32_t parentUnitId = 0;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
    bool disabled = false;
    std::string tag;  // GBK
};

struct TemplateForm {
    uint32_t id = 0;
    std::vector<TemplateUnit> units;  // template order; units[0] is the window

    const TemplateUnit* FindByName(std::string_view gbkName) const;
    const TemplateUnit* FindByControlId(int controlId) const;
};

class TemplateMap {
public:
    // Reads a compiled template; `out` is only changed on success. Units of
    // the `absentTypes` (type references a program does not carry) get no
    // window and no control id, as the loader skips them.
    static rt::ReadStatus Read(const uint8_t* data, size_t size, TemplateMap* out,
                               const std::set<uint32_t>& absentTypes = {});

    const std::vector<TemplateForm>& Forms() const { return forms_; }
    const TemplateForm* FindForm(uint32_t formId) const;
    bool Empty() const { return forms_.empty(); }

private:
    std::vector<TemplateForm> forms_;
};

// The window class a component type's window is made with; null when the
// type is not one the driver knows (then any class is accepted).
const char* ExpectedWindowClass(uint32_t typeReference);

// Component type names for listings ("edit_box", "image_button", ...;
// "other" for a type without a name).
const char* TypeName(uint32_t typeReference);

// "LIB:INDEX" (decimal, as in 2:1, both parts from 1) or a type name from
// TypeName to a type reference; false for anything else.
bool ParseTypeReference(std::string_view text, uint32_t* typeReference);

}  // namespace uidriver
