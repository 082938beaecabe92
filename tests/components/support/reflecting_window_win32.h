// The window component the control tests put their controls on: a plain
// top-level window that hands the notices of its children back to them, as the
// real window component does.
#pragma once

namespace components::testing {

void* ReflectingWindowInterface(int request);

}  // namespace components::testing
