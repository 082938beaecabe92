#include "components/check_box/check_box_data.h"

namespace components {

namespace {

using D = CheckBoxData;
const Field<D> kFields[] = {
    {{"PushLike", FieldKind::kBool, 0}, &D::PushLike},
    {{"flat", FieldKind::kBool, 0}, &D::flat},
    {{"TextOnLeft", FieldKind::kBool, 0}, &D::TextOnLeft},
    {{"HAlign", FieldKind::kPick, 0, 0, 2}, &D::HAlign},
    {{"VAlign", FieldKind::kPick, 0, 0, 2}, &D::VAlign},
    {{"TextColor", FieldKind::kColour, 0}, &D::TextColor},
    {{"BackColor", FieldKind::kColour, 0}, &D::BackColor},
    {{"Checked", FieldKind::kBool, 0}, &D::Checked},
    {{"picture", FieldKind::kBlock, 0}, &D::picture},
    {{"font", FieldKind::kFont, 0}, &D::font},
    {{"caption", FieldKind::kText, 0}, &D::caption},
    {{"DataSource", FieldKind::kText, 2}, &D::DataSource},
    {{"DataColumn", FieldKind::kText, 2}, &D::DataColumn},
};

}  // namespace

std::span<const Field<CheckBoxData>> CheckBoxData::Fields() { return kFields; }

}  // namespace components
