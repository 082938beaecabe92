#include "services/tick_source.h"

#include <windows.h>

namespace services {

uint32_t SystemMillisecondTicks() { return GetTickCount(); }

}  // namespace services
