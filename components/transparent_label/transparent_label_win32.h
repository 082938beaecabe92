// The transparent label: draws only its text over whatever lies beneath it,
// and makes the windows beneath repaint its area after every change.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "components/common/component_window_win32.h"
#include "components/common/scoped_gdi_win32.h"
#include "components/transparent_label/transparent_label_data.h"
#include "runtime/component_object_win32.h"

namespace components {

enum TransparentLabelProperty : int {
    kTransLabelCaption, kTransLabelEffect, kTransLabelFont, kTransLabelTextColor, kTransLabelHAlign,
    kTransLabelWordWrap, kTransLabelVAlign, kTransLabelPropertyCount
};

class TransparentLabel : public ComponentWindow<TransparentLabel>, public rt::ComponentObject {
public:
    static TransparentLabel* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();
    ~TransparentLabel() override;

    HWND Window() const override { return window_; }
    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const { return data_.Write(); }

    // Repaints what lies beneath the label, then the label over it.
    void RefreshSeeThrough();

private:
    friend class ComponentWindow<TransparentLabel>;
    TransparentLabel(uint32_t formId, uint32_t unitId) : ComponentWindow(formId, unitId) {}
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void ApplyFont();

    TransparentLabelData data_;
    ScopedGdiObject<HFONT> font_;  // null: the default font
};

}  // namespace components
