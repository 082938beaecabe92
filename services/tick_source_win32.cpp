#include "services/tick_source.h"

#include <windows.h>

namespace services {

uint32_t MillisecondTicks() { return GetTickCount(); }

}  // namespace services
