// Builds a window template in a test, starts the runtime with it and with
// the component types under test, and drives the message loop for a while.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/events.h"
#include "runtime/support_library.h"
#include "runtime/unit_fields.h"

namespace testing_support {

constexpr uint32_t kVisible = 0x1;
constexpr uint32_t kDisabled = 0x2;
constexpr uint32_t kTabStop = 0x4;

// One form of a test template. Unit ids are the form's number with kind 0x6:
// the window 0x06xxxxxx, components 0x16xxxxxx + their position.
class FormBuilder {
public:
    FormBuilder(uint32_t formId, uint32_t windowType, int width, int height, std::vector<uint8_t> windowData = {},
                uint32_t windowFlags = kVisible);
    // Adds a component; returns its unit id.
    uint32_t Add(uint32_t typeReference, const std::string& name, int left, int top, int width, int height,
                 uint32_t flags = kVisible, std::vector<uint8_t> ownData = {}, uint32_t parentId = 0);
    // Binds an event of a unit (0: the window) to entry `handlerIndex` of the handler table.
    void Bind(uint32_t unitId, int32_t eventNumber, int handlerIndex);
    rt::UnitFields& Unit(uint32_t unitId);
    uint32_t FormId() const { return formId_; }
    uint32_t WindowUnitId() const { return units_[0].id; }
    const std::vector<rt::UnitFields>& Units() const { return units_; }

private:
    uint32_t formId_;
    std::vector<rt::UnitFields> units_;
};

// The stored template bytes of the forms, in order.
std::vector<uint8_t> BuildTemplate(const std::vector<FormBuilder>& forms);

// Starts the runtime of this (test) process: the template, the support
// libraries (index 0 is library 1; null entries are absent libraries) and the
// program's handler table. Reports a failure through GoogleTest.
void StartRuntime(const std::vector<uint8_t>& templateBytes, std::vector<const rt::SupportLibrary*> libraries,
                  const rt::EventHandler* handlers, int handlerCount);

// Dispatches messages until `done` holds or the time runs out; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);
// Dispatches the messages that are waiting, then for about `milliseconds` more.
void PumpFor(DWORD milliseconds);

// Runs `action` on a helper thread after `delay` ms (to act on a modal loop).
void AfterDelay(DWORD delay, std::function<void()> action);

// The pixel at client (x, y) of a window as it is on the display.
COLORREF ClientPixel(HWND window, int x, int y);

}  // namespace testing_support
