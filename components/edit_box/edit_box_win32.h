// The edit box: a system EDIT control with the stored border, colours, font,
// password character, length limit and selection, and an optional spin
// button beside it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "components/common/standard_control_win32.h"
#include "components/common/text_selection_win32.h"
#include "components/edit_box/edit_box_data.h"

namespace components {

class EditBox : public StandardControl {
public:
    // Null when the property data cannot be read or the control not made.
    static rt::ComponentObject* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();

    // 1 when the change needs the control made again.
    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const;

private:
    EditBox(const rt::CreateParameters& parameters, EditBoxData data) : StandardControl(parameters), data_(std::move(data)) {}
    bool Build(const rt::CreateParameters& parameters);
    DWORD Style() const;
    void CreateSpin(int x, int y, int cx, int cy, bool disabled);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam);
    LRESULT OnSpinChange(const NMUPDOWN& change);
    LRESULT OnColour(HDC dc);
    void StepSpin(bool up);
    void PlaceSpin();
    void KeepSpinMargin();

    void SetContent(std::string_view content);
    void ApplyPasswordChar();
    void ApplySpinRange();
    ByteSelection Selection() const;
    std::string SelectedText() const;
    void Select(int start, int length);

    EditBoxData data_;  // the stored properties; the text and selection live in the control
    HWND spin_ = nullptr;
    SolidBrush background_;
    bool settingContent_ = false;
};

}  // namespace components
