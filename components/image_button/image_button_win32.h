// The image button: an owner-drawn push button in a flat, 3D or XP look,
// with state pictures, hot tracking, sounds, a tooltip and an optional
// check-box behaviour; a click raises event 0.
#pragma once

#include <windows.h>

#include <vector>

#include "components/common/standard_control_win32.h"
#include "components/common/tool_tip_win32.h"
#include "components/image_button/image_button_data.h"
#include "components/image_button/image_button_painting_win32.h"

namespace components {

enum ImageButtonProperty : int {
    kImageButtonStyle, kImageButtonCheckBox, kImageButtonChecked, kImageButtonAlign, kImageButtonPressStyle,
    kImageButtonDrawBorder, kImageButtonDrawFocus, kImageButtonPicOut, kImageButtonTransColorOut,
    kImageButtonPicIn, kImageButtonTransColorIn, kImageButtonPicDisabled, kImageButtonTransColorDisabled,
    kImageButtonFont, kImageButtonCaption, kImageButtonDefaultColor, kImageButtonFgColorOut,
    kImageButtonBkColorOut, kImageButtonFgColorIn, kImageButtonBkColorIn, kImageButtonFgColorFocus,
    kImageButtonBkColorFocus, kImageButtonStandardSound, kImageButtonOverSound, kImageButtonClickSound,
    kImageButtonToolTip, kImageButtonDefaultStyle, kImageButtonPropertyCount
};

class ImageButton : public StandardControl {
public:
    static rt::ComponentObject* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();

    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const;

private:
    ImageButton(const rt::CreateParameters& parameters, ImageButtonData data);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDrawItem(const DRAWITEMSTRUCT& item) const;
    void OnClicked();
    void OnMouseMove(WPARAM wParam);
    void OnDisabled();
    LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
    void EnterHot();
    void LeaveHot();
    void Repaint() const;

    bool TracksHot() const { return data_.BtnStyle != kButton3D; }
    ImageButtonColours Colours() const;
    ImageButtonLook Look() const;
    void BuildImages();

    ImageButtonData data_;  // Checked is live; CheckBox and DefaultStyle take effect on creation
    ButtonStateImage images_[kSlotCount];
    ToolTip toolTip_;
    bool hot_ = false;
    bool defaultButton_ = false;
};

}  // namespace components
