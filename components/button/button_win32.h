// The button: a system push button with a caption or a picture; pressing it
// raises event 0.
#pragma once

#include <windows.h>

#include <vector>

#include "components/button/button_appearance_win32.h"
#include "components/button/button_data.h"
#include "components/common/standard_control_win32.h"

namespace components {

class Button : public StandardControl {
public:
    static rt::ComponentObject* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();

    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const;

private:
    Button(const rt::CreateParameters& parameters, ButtonData data) : StandardControl(parameters), data_(std::move(data)) {}
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    ButtonData data_;  // the caption lives in the control
    ButtonPicture picture_;
};

}  // namespace components
