#include "components/combo_box/combo_box_data.h"

namespace components {

namespace {

using D = ComboBoxData;
const Field<D> kFields[] = {
    {{"ComboType", FieldKind::kPick, 0, 0, 2}, &D::ComboType},
    {{"MaxAllowLength", FieldKind::kInteger, 0}, &D::MaxAllowLength},
    {{"SelStart", FieldKind::kInteger, 0}, &D::SelStart},
    {{"SelLength", FieldKind::kInteger, 0}, &D::SelLength},
    {{"sorted", FieldKind::kBool, 0}, &D::sorted},
    {{"ItemHeightExtra", FieldKind::kInteger, 0}, &D::ItemHeightExtra},
    {{"TextColor", FieldKind::kColour, 0}, &D::TextColor},
    {{"BackColor", FieldKind::kColour, 0}, &D::BackColor},
    {{"CurSel", FieldKind::kInteger, 0}, &D::CurSel},
    {{"font", FieldKind::kFont, 0}, &D::font},
    {{"ItemData", FieldKind::kWordList, 0}, &D::ItemData},
    {{"content", FieldKind::kText, 0}, &D::content},
    {{"items", FieldKind::kTextList16, 0}, &D::items},
    {{"DataSource", FieldKind::kText, 2}, &D::DataSource},
    {{"DataColumn", FieldKind::kText, 2}, &D::DataColumn},
    {{"hiddenFlag", FieldKind::kWord, 3}, &D::hiddenFlag},
};

}  // namespace

std::span<const Field<ComboBoxData>> ComboBoxData::Fields() { return kFields; }

}  // namespace components
