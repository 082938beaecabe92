#include "components/transparent_label/transparent_label_data.h"

namespace components {

namespace {

using D = TransparentLabelData;
const Field<D> kFields[] = {
    {{"effect", FieldKind::kPick, 0, 0, 3}, &D::effect},
    {{"TextColor", FieldKind::kColour, 0}, &D::TextColor},
    {{"HAlign", FieldKind::kPick, 0, 0, 2}, &D::HAlign},
    {{"VAlign", FieldKind::kPick, 0, 0, 2}, &D::VAlign},
    {{"WordWrap", FieldKind::kBool, 0}, &D::WordWrap},
    {{"font", FieldKind::kFont, 0}, &D::font},
    {{"caption", FieldKind::kText, 0}, &D::caption},
};

}  // namespace

std::span<const Field<TransparentLabelData>> TransparentLabelData::Fields() { return kFields; }

}  // namespace components
