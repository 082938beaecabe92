// Telling which form a top-level window is, from what can be seen of it: the
// control ids and window classes of its descendants, and its size.
#pragma once

#include <string>
#include <vector>

#include "tools/uidriver/template_map.h"

namespace uidriver {

struct ObservedControl {
    int controlId = 0;
    std::string className;
};

struct ObservedWindow {
    int width = 0, height = 0;
    std::vector<ObservedControl> controls;  // every descendant window
};

// -1 when the window cannot be this form: a component window is missing or
// has another type's class, or the window has a component id the form does
// not give out. Otherwise higher is a closer match.
int FormMatchScore(const TemplateForm& form, const ObservedWindow& window);

// The best-matching form, or null when none can be.
const TemplateForm* IdentifyForm(const TemplateMap& map, const ObservedWindow& window);

}  // namespace uidriver
