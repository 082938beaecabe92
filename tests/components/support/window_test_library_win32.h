// Support for the tests of the window, transparent label and timer: test
// libraries holding the real types, recording event handlers, pictures and
// pixel readers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "components/window/window_data.h"
#include "runtime/events.h"
#include "runtime/support_library.h"
#include "runtime/type_references.h"
#include "support/bitmap_file_win32.h"
#include "support/form_harness_win32.h"
#include "support/screen_pixels_win32.h"

namespace components::testing {

using rt::testing::kWindowType;
constexpr uint32_t kControlType = 0x00010002;  // a push button, default button or edit box, by its data byte
constexpr uint32_t kTimerType = rt::kTimerTypeReference;
constexpr uint32_t kTransLabelType = rt::kTransparentLabelTypeReference;

constexpr uint8_t kControlPushButton = 0, kControlDefaultButton = 1, kControlEdit = 2;

// Library 1 (window, test control, timer) and library 8 (transparent label).
std::vector<const rt::SupportLibrary*> Libraries();

// Control ids of the test controls' clicks, in order.
std::vector<int>& Clicks();

// Handlers 0..8 record their index, the event source and the first argument,
// in the order they are called, and return HandlerResult(index) (1 unless set).
struct HandlerCall {
    int handler;
    uint32_t unit;
    uint32_t argument;
};
std::vector<HandlerCall>& HandlerCalls();
int64_t& HandlerResult(int handler);
const rt::EventHandler* Handlers();
constexpr int kHandlerCount = 9;
int CallsOf(int handler);

// Starts the runtime with the test libraries and the recording handlers.
void Start(const std::vector<uint8_t>& templateBytes);

// Own data of a window: defaults changed by `change`.
std::vector<uint8_t> WindowBytes(const std::function<void(components::WindowData&)>& change);


using rt::testing::ClientPixels;
using rt::testing::PixelsOf;
using rt::testing::PixelsOtherThan;
using rt::testing::WindowPixel;

}  // namespace components::testing
