#include "components/window/window_data.h"

namespace components {

namespace {

using D = WindowData;
const Field<D> kFields[] = {
    {{"border", FieldKind::kPick, 0, 0, 6}, &D::border},
    {{"PictureMode", FieldKind::kPick, 0, 0, 3}, &D::PictureMode},
    {{"BackColor", FieldKind::kColour, 0}, &D::BackColor},
    {{"MaxButton", FieldKind::kBool, 0}, &D::MaxButton},
    {{"MinButton", FieldKind::kBool, 0}, &D::MinButton},
    {{"ControlBox", FieldKind::kBool, 0}, &D::ControlBox},
    {{"StartPosition", FieldKind::kPick, 0, 0, 3}, &D::StartPosition},
    {{"Movable", FieldKind::kBool, 0}, &D::Movable},
    {{"MusicPlayMode", FieldKind::kPick, 0, 0, 2}, &D::MusicPlayMode},
    {{"EnterMovesFocus", FieldKind::kBool, 0}, &D::EnterMovesFocus},
    {{"EscCloses", FieldKind::kBool, 0}, &D::EscCloses},
    {{"F1Help", FieldKind::kBool, 0}, &D::F1Help},
    {{"HelpContext", FieldKind::kInteger, 0}, &D::HelpContext},
    {{"ShowInTaskbar", FieldKind::kBool, 2}, &D::ShowInTaskbar},
    {{"DragAnywhere", FieldKind::kBool, 3}, &D::DragAnywhere},
    {{"shape", FieldKind::kPick, 3, 0, 29}, &D::shape},
    {{"TopMost", FieldKind::kBool, 4}, &D::TopMost},
    {{"KeepTitleActive", FieldKind::kBool, 5}, &D::KeepTitleActive},
    {{"ClassName", FieldKind::kText, 6}, &D::ClassName},
    {{"BackPicture", FieldKind::kBlock, 0}, &D::BackPicture},
    {{"BackMusic", FieldKind::kBlock, 0}, &D::BackMusic},
    {{"icon", FieldKind::kBlock, 0}, &D::icon},
    {{"caption", FieldKind::kText, 0}, &D::caption},
    {{"HelpFile", FieldKind::kText, 0}, &D::HelpFile},
};

}  // namespace

std::span<const Field<WindowData>> WindowData::Fields() { return kFields; }

}  // namespace components
