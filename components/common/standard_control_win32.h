// What the standard controls (label, edit box, button, check box, combo box)
// share: their window and unit, the procedure that dispatches their messages,
// their font, the pointer of their unit, the focus events and their end with
// the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "components/common/component_window_win32.h"
#include "components/common/scoped_gdi_win32.h"
#include "runtime/component_object_win32.h"
#include "runtime/log_font.h"

namespace components {

class StandardControl : public ComponentWindow<StandardControl>, public rt::ComponentObject {
public:
    StandardControl(const StandardControl&) = delete;
    StandardControl& operator=(const StandardControl&) = delete;

    HWND Window() const override { return window_; }
    uint32_t FormId() const { return formId_; }
    uint32_t UnitId() const { return unitId_; }

protected:
    explicit StandardControl(const rt::CreateParameters& parameters);
    ~StandardControl() override;

    // A window of one of the system's control classes, subclassed so that its
    // messages reach HandleMessage, or of a class registered with
    // ClassProcedure. Once the window exists it owns the object (deleted
    // with WM_NCDESTROY); when they fail, the caller still owns it.
    bool CreateSystemControl(const wchar_t* className, DWORD exStyle, DWORD style, std::string_view text, int x,
                             int y, int cx, int cy);
    bool CreateOwnClassWindow(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int cx, int cy);

    // Derived controls handle their messages and pass the rest to this one,
    // which ends in the class's own procedure. The object may be gone after
    // any call that can raise an event.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The combo box reports focus from its notifications instead.
    bool raiseFocusFromMessages_ = true;

    bool Raise(int32_t eventNumber, std::initializer_list<uint32_t> arguments = {}) const;

    // The font from the stored record (the default GUI font when there is
    // none or it cannot be made), given to the window with WM_SETFONT.
    void ApplyFont(const std::optional<rt::LogFont>& font);
    HFONT Font() const;

    std::string Text() const;  // GBK
    void SetText(std::string_view text);

    int controlId_;
    HWND parent_;

private:
    friend class ComponentWindow<StandardControl>;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) { return HandleMessage(message, wParam, lParam); }
    void OnUnbound();
    bool Created(HWND window);
    bool SetUnitCursor(WPARAM wParam, LPARAM lParam) const;

    ScopedGdiObject<HFONT> ownedFont_;
};

// The system colour for the default colour value (0xFF000000), else the value.
COLORREF ResolveColour(uint32_t colour, int systemColourIndex);

// Extended style and style bits of the border styles 0..5 shared by the label
// and the edit box; other values have none.
void BorderStyles(int border, DWORD* exStyle, DWORD* style);
// Replaces the border of a live window and redraws its frame.
void ApplyBorder(HWND window, int border);

// A solid brush of one colour, made again when the colour changes.
class SolidBrush {
public:
    HBRUSH Get(COLORREF colour);

private:
    ScopedGdiObject<HBRUSH> brush_;
    COLORREF colour_ = 0;
};

}  // namespace components
