// The contract between the form loader and the component types: what a
// type's create, get and set functions look like, and the object the loader
// keeps for every created component.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "runtime/property_value.h"
#include "runtime/support_library.h"

namespace rt {

// Notices the loader sends to component windows.
constexpr UINT kNoticeFormCreated = 0x806F;      // to every component, last unit first
constexpr UINT kNoticeWindowCreated = 0x8004;    // to the window
constexpr UINT kNoticeModalLoaded = 0x8076;      // to every component of a modal form
constexpr UINT kQueryComponentObject = 0x8002;   // answers the window's component object
constexpr UINT kPendingDestroyMessage = 0x8065;  // runs a window's pending destroy

class ComponentObject {
public:
    virtual ~ComponentObject() = default;
    virtual HWND Window() const = 0;
    // Offered every message aimed at this window or a descendant, before
    // translation; true consumes it.
    virtual bool PreTranslateMessage(MSG& message) { return false; }
    // Window objects only: idle work with the milliseconds since the idle
    // period began; true asks for more.
    virtual bool OnIdle(DWORD elapsedMilliseconds) { return false; }
    // Window objects only: how the loader shows the form window.
    virtual void ShowAsDesigned() { ShowWindow(Window(), SW_SHOW); }
    // Window objects only: the windows a modal display disabled are
    // re-enabled before the window closes.
    virtual void SetModalLoading(bool modal) {}
    // The destroy command. A window sets its pending-destroy mark and, unless
    // immediately, posts 0x8065 so the destruction runs from the message loop
    // after the current handler; a component destroys its window.
    virtual void RequestDestroy(bool immediately) { DestroyWindow(Window()); }
};

struct CreateParameters {
    const uint8_t* data;  // own-property data of the unit
    uint32_t length;
    uint32_t style;
    HWND parent;  // the form window for components; the owner (or none) for the window
    HMENU menu;   // window only
    int controlId;  // 0 for the window
    int x, y, cx, cy;
    uint32_t formId;
    uint32_t unitId;
    bool modal;  // window only: being loaded as a modal form
};

// Request 1: create. Returns the object, or null when it cannot be made.
using CreateFunction = ComponentObject* (*)(const CreateParameters& parameters);
// Request 4: an own property changed. Returns 1 when the component must be
// re-created from its property data for the change to take effect.
using SetPropertyFunction = int (*)(ComponentObject* object, int ownIndex, const PropertyValue& value);
// Request 6: read an own property.
using GetPropertyFunction = bool (*)(ComponentObject* object, int ownIndex, PropertyValue* value);
// Request 5: the current properties as stored property data.
using GetAllDataFunction = std::vector<uint8_t> (*)(ComponentObject* object);
// The type's own-property list, for conversions by kind (request 7 here).
struct PropertyList {
    const PropertyDescriptor* descriptors;
    int count;
};
using PropertyListFunction = PropertyList (*)();

constexpr int kRequestCreate = 1;
constexpr int kRequestSetProperty = 4;
constexpr int kRequestGetAllData = 5;
constexpr int kRequestGetProperty = 6;
constexpr int kRequestPropertyList = 7;

}  // namespace rt
