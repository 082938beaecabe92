// Support for the image button tests: a plain test window (library 1) that
// hands its controls' notifications back to them, the image button as
// library 2's first type, pictures and pixel readers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "components/image_button/image_button_data.h"
#include "runtime/events.h"
#include "runtime/type_references.h"
#include "support/bitmap_file_win32.h"
#include "support/form_harness_win32.h"

namespace components::testing {

using rt::testing::kWindowType;
constexpr uint32_t kImageButtonType = rt::kImageButtonTypeReference;
constexpr uint32_t kForm = 0x52010001;

// Own property numbers as program code addresses them (own index + 8).
constexpr int kCheckBoxProperty = 9;
constexpr int kCheckedProperty = 10;
constexpr int kCaptionProperty = 22;
constexpr int kToolTipProperty = 33;
constexpr int kDefaultStyleProperty = 34;

// Starts the runtime with the two libraries and the handlers, loads the form
// (its window placed at the bottom right of the screen), makes its window the
// active one and lets it paint.
void Load(rt::testing::FormBuilder form, const rt::EventHandler* handlers = nullptr, int handlerCount = 0);
HWND ButtonWindow(uint32_t unitId);

// Own data of an image button: the defaults changed by `change`.
std::vector<uint8_t> ButtonData(const std::function<void(components::ImageButtonData&)>& change);


// A button's client area, pixel by pixel (COLORREF values).
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> colours;

    COLORREF At(int x, int y) const { return colours[static_cast<size_t>(y) * width + x]; }
    // Pixels of the rectangle (clipped to the area) for which `test` holds.
    int Count(const RECT& area, const std::function<bool(COLORREF)>& test) const;
    int CountOf(const RECT& area, COLORREF colour) const;
};
// As the button paints itself now (asked to print its client area, so that
// windows of other test programs cannot cover it).
Pixels Render(HWND button);

// Puts the mouse over the centre of the button and lets it see the move.
void Hover(HWND button);
// Moves the mouse away from every test window and waits until the button it
// was over has heard that it left.
void MoveMouseAway();

}  // namespace components::testing
