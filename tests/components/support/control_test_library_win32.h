// A core library for testing the standard controls: a plain top-level test
// window that reflects its controls' notifications, and the five control
// types at their own indexes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/events.h"
#include "runtime/support_library.h"
#include "runtime/type_references.h"
#include "support/bitmap_file_win32.h"
#include "support/screen_pixels_win32.h"
#include "support/form_harness_win32.h"

namespace components::testing {

using rt::testing::kWindowType;
constexpr uint32_t kEditBoxType = rt::kEditBoxTypeReference;
constexpr uint32_t kLabelType = rt::kLabelTypeReference;
constexpr uint32_t kButtonType = rt::kButtonTypeReference;
constexpr uint32_t kCheckBoxType = rt::kCheckBoxTypeReference;
constexpr uint32_t kComboBoxType = rt::kComboBoxTypeReference;

constexpr uint32_t kForm = 0x52010001;

const rt::SupportLibrary* ControlLibrary();

// Starts the runtime with the form (id kForm) and the handlers, loads the
// form and lets it paint.
void LoadControls(const rt::testing::FormBuilder& form, const rt::EventHandler* handlers, int handlerCount);
// The window of a unit of kForm (null when it was not created).
HWND ControlWindow(uint32_t unitId);
// A text property of a unit of kForm, freed after copying.
std::string ReadText(uint32_t unitId, int property);
void WriteText(uint32_t unitId, int property, const char* text);


using rt::testing::ClientPixels;

}  // namespace components::testing
