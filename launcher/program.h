// The launcher program's descriptor for the runtime.
#pragma once

#include "runtime/program.h"

namespace launcher {

rt::ProgramDescriptor Program();

}  // namespace launcher
