#include "tools/uidriver/form_matcher.h"

#include "common/ascii.h"

namespace uidriver {
namespace {

constexpr int kFirstControlId = 100;
constexpr int kControlIdStep = 10;

bool SameClass(const std::string& left, const char* right) {
    return common::EqualIgnoringAsciiCase(left, right);
}

// Ids the loader could have given a component (100, 110, ...); other ids
// belong to a control's own children (a combo box's edit, a spin box).
bool LooksLikeComponentId(int controlId) {
    return controlId >= kFirstControlId && (controlId - kFirstControlId) % kControlIdStep == 0;
}

const ObservedControl* FindControl(const ObservedWindow& window, int controlId) {
    for (const ObservedControl& control : window.controls)
        if (control.controlId == controlId) return &control;
    return nullptr;
}

}  // namespace

int FormMatchScore(const TemplateForm& form, const ObservedWindow& window) {
    int score = 0;
    int components = 0;
    for (size_t i = 1; i < form.units.size(); ++i) {
        const TemplateUnit& unit = form.units[i];
        if (unit.controlId <= 0) continue;
        ++components;
        const ObservedControl* control = FindControl(window, unit.controlId);
        if (!control) return -1;
        const char* expected = ExpectedWindowClass(unit.typeReference);
        if (expected && !SameClass(control->className, expected)) return -1;
        score += expected ? 2 : 1;
    }
    for (const ObservedControl& control : window.controls) {
        if (LooksLikeComponentId(control.controlId) && !form.FindByControlId(control.controlId)) return -1;
    }
    const TemplateUnit& windowUnit = form.units[0];
    bool sameSize = window.width == windowUnit.width && window.height == windowUnit.height;
    // A form without components is only recognised by its size.
    if (components == 0 && !sameSize) return -1;
    if (sameSize) score += 1;
    return score;
}

const TemplateForm* IdentifyForm(const TemplateMap& map, const ObservedWindow& window) {
    const TemplateForm* best = nullptr;
    int bestScore = -1;
    for (const TemplateForm& form : map.Forms()) {
        int score = FormMatchScore(form, window);
        if (score > bestScore) {
            best = &form;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace uidriver
