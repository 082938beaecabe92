// Builds a window template in a test, starts the runtime with it and with
// the component types under test, and drives the message loop until what a
// test waits for has happened.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/events.h"
#include "runtime/support_library.h"
#include "runtime/type_references.h"
#include "runtime/unit_fields.h"

namespace rt::testing {

constexpr uint32_t kVisible = 0x1;
constexpr uint32_t kDisabled = 0x2;
constexpr uint32_t kTabStop = 0x4;

// Every test form's window is of the window type.
constexpr uint32_t kWindowType = rt::kWindowTypeReference;

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
// For events from outside the queue (a timer tick, a socket arrival): give a
// deadline that a loaded machine meets.
[[nodiscard]] bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 10000);

// Dispatches what is posted to this thread, what those messages post in turn,
// and the paints they cause, until nothing but timer ticks and input from the
// devices is left; a failure saying what kept it busy when the queue did not
// run dry in time. After it, whatever the test set off through the queue has
// happened.
[[nodiscard]] ::testing::AssertionResult Drain(DWORD milliseconds = 10000);

// Runs `action` on this thread from the next message loop that turns (a
// modal loop included) once `ready` holds. After `milliseconds` it reports a
// failure and runs `action` anyway, so that the loop it was meant to end ends.
void WhenReadyOnTheLoop(std::function<bool()> ready, std::function<void()> action, DWORD milliseconds = 10000);

}  // namespace rt::testing
