// Runtime service requests about forms, components and events.
#pragma once

#include <cstdint>

namespace rt {

intptr_t FormService(int request, intptr_t argument1, intptr_t argument2);

}  // namespace rt
