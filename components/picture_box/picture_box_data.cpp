#include "components/picture_box/picture_box_data.h"

namespace components {

namespace {

using D = PictureBoxData;
const Field<D> kFields[] = {
    {{"border", FieldKind::kPick, 0, 0, 5}, &D::border},
    {{"BackColor", FieldKind::kColour, 0}, &D::BackColor},
    {{"PictureMode", FieldKind::kPick, 0, 0, 2}, &D::PictureMode},
    {{"PlayAnimation", FieldKind::kBool, 0}, &D::PlayAnimation},
    {{"picture", FieldKind::kBlock, 0}, &D::picture},
    {{"DataSource", FieldKind::kText, 2}, &D::DataSource},
    {{"DataColumn", FieldKind::kText, 2}, &D::DataColumn},
};

}  // namespace

std::span<const Field<PictureBoxData>> PictureBoxData::Fields() { return kFields; }

}  // namespace components
