// The form registry: every form of the window template, the windows and
// component objects of the loaded ones, and the component types contributed
// by the support libraries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "runtime/component_object_win32.h"
#include "runtime/form_record.h"
#include "runtime/support_library.h"

namespace rt {

struct Form {
    FormRecord units;     // live: changed by property writes
    FormRecord snapshot;  // the units as they were when the form was loaded
    bool hasSnapshot = false;

    // While loaded.
    HWND window = nullptr;
    std::vector<ComponentObject*> objects;  // by unit index; null when not created
    std::vector<HCURSOR> cursors;           // by unit index
    HMENU menu = nullptr;
    HACCEL accelerators = nullptr;
    bool modal = false;
    bool waitingForFirstShow = false;
    std::vector<HWND> disabledWindows;
    HWND ownerForLoad = nullptr;

    uint32_t Id() const { return units.id; }
    bool Loaded() const { return window && IsWindow(window); }
    ComponentObject* Object(uint32_t unitIndex) const {
        return unitIndex < objects.size() ? objects[unitIndex] : nullptr;
    }
};

std::vector<Form>& Forms();
Form* FindForm(uint32_t formId);
// The form whose window is this handle, or null.
Form* FormOfWindow(HWND window);

const ComponentType* FindComponentType(uint32_t typeReference);
void* TypeRequest(const ComponentType* type, int request);
// The own-property descriptors of a type (none when it publishes none).
PropertyList PropertiesOfType(const ComponentType* type);

// Window map: the component object behind a window handle.
void MapComponentWindow(HWND window, ComponentObject* object);
void UnmapComponentWindow(HWND window);
ComponentObject* ComponentOfWindow(HWND window);

// The component object of a unit of a loaded form (unit id 0: the window).
ComponentObject* ComponentOf(uint32_t formId, uint32_t unitId);

// The menu bar of a form's visible menu-item units, in template order (null: none).
HMENU BuildMenu(const FormRecord& units);
// Load form: 1 on success, 0 on failure.
int LoadForm(Form& form, bool reload, bool modal, HWND owner);
// Show form after a load (runs the modal loop for a modal form's first show).
void ShowForm(Form& form, bool show);
// Service 2000: a form's window or one of its components was destroyed.
void ComponentDestroyed(uint32_t formId, uint32_t unitId);
// A unit's pointer from its mouse-pointer data (null: the default pointer).
HCURSOR LoadUnitCursorFromData(std::span<const uint8_t> data);
// The cursor loaded for a unit of a loaded form (null: the default pointer).
HCURSOR CursorOfUnit(uint32_t formId, uint32_t unitId);
// Re-creates a component from its current property data (after a property
// change that asks for it).
bool RecreateComponent(Form& form, uint32_t unitIndex);

}  // namespace rt
