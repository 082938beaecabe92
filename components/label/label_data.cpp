#include "components/label/label_data.h"

namespace components {

namespace {

using D = LabelData;
const Field<D> kFields[] = {
    {{"effect", FieldKind::kPick, 0, 0, 3}, &D::effect},
    {{"BorderWidth", FieldKind::kInteger, 0}, &D::BorderWidth},
    {{"border", FieldKind::kPick, 0, 0, 6}, &D::border},
    {{"BorderColor1", FieldKind::kColour, 0}, &D::BorderColor1},
    {{"BorderColor2", FieldKind::kColour, 0}, &D::BorderColor2},
    {{"BorderColor3", FieldKind::kColour, 0}, &D::BorderColor3},
    {{"TextColor", FieldKind::kColour, 0}, &D::TextColor},
    {{"BackColor", FieldKind::kColour, 0}, &D::BackColor},
    {{"PictureMode", FieldKind::kPick, 0, 0, 2}, &D::PictureMode},
    {{"GradientStyle", FieldKind::kPick, 0, 0, 8}, &D::GradientStyle},
    {{"GradientColor1", FieldKind::kColour, 0}, &D::GradientColor1},
    {{"GradientColor2", FieldKind::kColour, 0}, &D::GradientColor2},
    {{"GradientColor3", FieldKind::kColour, 0}, &D::GradientColor3},
    {{"HAlign", FieldKind::kPick, 0, 0, 2}, &D::HAlign},
    {{"VAlign", FieldKind::kPick, 0, 0, 2}, &D::VAlign},
    {{"WordWrap", FieldKind::kBool, 0}, &D::WordWrap},
    {{"font", FieldKind::kFont, 0}, &D::font},
    {{"BackPicture", FieldKind::kBlock, 0}, &D::BackPicture},
    {{"caption", FieldKind::kText, 0}, &D::caption},
    {{"DataSource", FieldKind::kText, 2}, &D::DataSource},
    {{"DataColumn", FieldKind::kText, 2}, &D::DataColumn},
};

}  // namespace

std::span<const Field<LabelData>> LabelData::Fields() { return kFields; }

}  // namespace components
