// The label: a window of its own class that paints its border, background
// (colour, picture or gradient) and text with an effect.
#pragma once

#include <windows.h>

#include <vector>

#include "components/common/standard_control_win32.h"
#include "components/label/gradient_colours.h"
#include "components/label/label_data.h"
#include "components/pictures/picture_drawing_win32.h"

namespace components {

constexpr wchar_t kLabelClass[] = L"_WK_Label";

class Label : public StandardControl {
public:
    static rt::ComponentObject* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();

    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const;

private:
    Label(const rt::CreateParameters& parameters, LabelData data) : StandardControl(parameters), data_(std::move(data)) {}

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint();
    void PaintInto(HDC dc, const RECT& client, const RECT& clip);
    void PaintFrame(HDC dc, const RECT& client, const GradientStops& stops) const;
    // Each fills the area or a part of it and takes what it covered out of `rest`.
    bool PaintPicture(HDC dc, const RECT& area, const RECT& clip, HRGN rest);
    void PaintGradient(HDC dc, const RECT& area, const RECT& clip, const GradientStops& stops) const;
    void PaintCaption(HDC dc, const RECT& area) const;
    void ShowCaptionAsWindowText();
    bool PictureReady();
    COLORREF BackColour() const;

    LabelData data_;
    PreparedPicture picture_;
    bool pictureTried_ = false;
};

}  // namespace components
