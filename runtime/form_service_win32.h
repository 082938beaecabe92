// Runtime service requests about forms, components and events.
#pragma once

#include <cstdint>

namespace rt {

class ComponentObject;

// Request 2005: load a form for a command (the load-window command).
struct FormLoadRequest {
    uint32_t formId;
    ComponentObject* owner;  // the owner component, or none
    uint32_t modal;
};
// Loads the form with the owner's window and the modal flag; when that works
// and the window is to be visible, shows it (a modal form runs its loop here).
intptr_t LoadFormForCommand(const FormLoadRequest& request);

intptr_t FormService(int request, intptr_t argument1, intptr_t argument2);

}  // namespace rt
