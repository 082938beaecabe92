#include "components/timer/timer_data.h"

namespace components {

namespace {

using D = TimerData;
const Field<D> kFields[] = {
    {{"interval", FieldKind::kPick, 0, 0, INT32_MAX}, &D::interval},
};

}  // namespace

std::span<const Field<TimerData>> TimerData::Fields() { return kFields; }

}  // namespace components
