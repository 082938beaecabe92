#include "components/image_button/image_button_data.h"

namespace components {

namespace {

using D = ImageButtonData;
const Field<D> kFields[] = {
    {{"BtnStyle", FieldKind::kPick, 0, 0, 2}, &D::BtnStyle},
    {{"CheckBox", FieldKind::kBool, 0}, &D::CheckBox},
    {{"Checked", FieldKind::kBool, 0}, &D::Checked},
    {{"AlignStyle", FieldKind::kPick, 0, 0, 3}, &D::AlignStyle},
    {{"PressStyle", FieldKind::kPick, 0, 0, 1}, &D::PressStyle},
    {{"DrawBorder", FieldKind::kBool, 0}, &D::DrawBorder},
    {{"DrawFocus", FieldKind::kBool, 0}, &D::DrawFocus},
    {{"TransColorIn", FieldKind::kColour, 0}, &D::TransColorIn},
    {{"TransColorOut", FieldKind::kColour, 0}, &D::TransColorOut},
    {{"DefaultColor", FieldKind::kBool, 0}, &D::DefaultColor},
    {{"StandardSound", FieldKind::kBool, 0}, &D::StandardSound},
    {{"DefaultStyle", FieldKind::kPick, 0, 0, 1}, &D::DefaultStyle},
    {{"FgColorOut", FieldKind::kColour, 0}, &D::FgColorOut},
    {{"BkColorOut", FieldKind::kColour, 0}, &D::BkColorOut},
    {{"FgColorIn", FieldKind::kColour, 0}, &D::FgColorIn},
    {{"BkColorIn", FieldKind::kColour, 0}, &D::BkColorIn},
    {{"FgColorFocus", FieldKind::kColour, 0}, &D::FgColorFocus},
    {{"BkColorFocus", FieldKind::kColour, 0}, &D::BkColorFocus},
    {{"PicIn", FieldKind::kBlock, 0}, &D::PicIn},
    {{"PicOut", FieldKind::kBlock, 0}, &D::PicOut},
    {{"font", FieldKind::kFont, 0}, &D::font},
    {{"OverSound", FieldKind::kBlock, 0}, &D::OverSound},
    {{"ClickSound", FieldKind::kBlock, 0}, &D::ClickSound},
    {{"caption", FieldKind::kText, 0}, &D::caption},
    {{"ToolTip", FieldKind::kText, 0}, &D::ToolTip},
    {{"TransColorDisabled", FieldKind::kColour, 2}, &D::TransColorDisabled},
    {{"PicDisabled", FieldKind::kBlock, 2}, &D::PicDisabled},
};

}  // namespace

std::span<const Field<ImageButtonData>> ImageButtonData::Fields() { return kFields; }

}  // namespace components
