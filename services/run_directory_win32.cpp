// The directory of the running program.
#include "runtime/runtime_context_win32.h"
#include "services/command_arguments.h"
#include "services/core_commands.h"

namespace services {

void GetRunDirectory(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    arguments::SetText(result, rt::Runtime().programDirectory);
}

}  // namespace services
