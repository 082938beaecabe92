#include "components/edit_box/edit_box_data.h"

namespace components {

namespace {

using D = EditBoxData;
const Field<D> kFields[] = {
    {{"border", FieldKind::kPick, 0, 0, 5}, &D::border},
    {{"TextColor", FieldKind::kColour, 0}, &D::TextColor},
    {{"BackColor", FieldKind::kColour, 0}, &D::BackColor},
    {{"HideSel", FieldKind::kBool, 0}, &D::HideSel},
    {{"MaxAllowLength", FieldKind::kInteger, 0}, &D::MaxAllowLength},
    {{"AllowMultiLines", FieldKind::kBool, 0}, &D::AllowMultiLines},
    {{"ScrollBars", FieldKind::kPick, 0, 0, 3}, &D::ScrollBars},
    {{"HAlign", FieldKind::kPick, 0, 0, 2}, &D::HAlign},
    {{"InputMode", FieldKind::kPick, 0, 0, 2}, &D::InputMode},
    {{"PasswordChar", FieldKind::kChar16, 0}, &D::PasswordChar},
    {{"CaseConvert", FieldKind::kPick, 0, 0, 2}, &D::CaseConvert},
    {{"SpinMode", FieldKind::kInteger, 0}, &D::SpinMode},
    {{"SpinMin", FieldKind::kInteger, 0}, &D::SpinMin},
    {{"SpinMax", FieldKind::kInteger, 0}, &D::SpinMax},
    {{"SelStart", FieldKind::kInteger, 0}, &D::SelStart},
    {{"SelLength", FieldKind::kInteger, 0}, &D::SelLength},
    {{"font", FieldKind::kFont, 0}, &D::font},
    {{"content", FieldKind::kText, 0}, &D::content},
    {{"DataSource", FieldKind::kText, 2}, &D::DataSource},
    {{"DataColumn", FieldKind::kText, 2}, &D::DataColumn},
};

}  // namespace

std::span<const Field<EditBoxData>> EditBoxData::Fields() { return kFields; }

}  // namespace components
