// A tooltip that shows a text while the mouse rests on one control. The
// control relays its mouse messages to it.
#pragma once

#include <windows.h>

#include <string_view>

namespace components {

class ToolTip {
public:
    ToolTip() = default;
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;
    ~ToolTip() { Destroy(); }

    // Shows `text` (GBK) for `control`; an empty text removes the tooltip.
    void SetText(HWND control, std::string_view text);
    // Hands a mouse message of the control to the tooltip.
    void Relay(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const;
    void Destroy();

    HWND Window() const { return window_; }

private:
    bool Create(HWND control);

    HWND window_ = nullptr;
};

// Long texts wrap at this width.
constexpr int kToolTipMaxWidth = 400;

}  // namespace components
