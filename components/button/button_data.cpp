#include "components/button/button_data.h"

namespace components {

namespace {

using D = ButtonData;
const Field<D> kFields[] = {
    {{"ButtonType", FieldKind::kPick, 0, 0, 1}, &D::ButtonType},
    {{"HAlign", FieldKind::kPick, 0, 0, 2}, &D::HAlign},
    {{"VAlign", FieldKind::kPick, 0, 0, 2}, &D::VAlign},
    {{"picture", FieldKind::kBlock, 0}, &D::picture},
    {{"font", FieldKind::kFont, 0}, &D::font},
    {{"caption", FieldKind::kText, 0}, &D::caption},
};

}  // namespace

std::span<const Field<ButtonData>> ButtonData::Fields() { return kFields; }

}  // namespace components
