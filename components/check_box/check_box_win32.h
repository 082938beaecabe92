// The check box: a system auto check box with caption or picture, colours
// and check state; a click raises event 0 once the state has toggled.
#pragma once

#include <windows.h>

#include <vector>

#include "components/button/button_appearance_win32.h"
#include "components/check_box/check_box_data.h"
#include "components/common/standard_control_win32.h"

namespace components {

class CheckBox : public StandardControl {
public:
    static rt::ComponentObject* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();

    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const;

private:
    CheckBox(const rt::CreateParameters& parameters, CheckBoxData data)
        : StandardControl(parameters), data_(std::move(data)) {}
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnColour(HDC dc);
    bool Checked() const;

    CheckBoxData data_;  // the caption and the check state live in the control
    ButtonPicture picture_;
    SolidBrush background_;
};

}  // namespace components
