// The program's exit routines: run once each, in registration order, when the
// program ends normally; discarded when it ends by a runtime error.
#pragma once

#include <cstddef>

namespace rt {

using ExitRoutine = void (*)(int index);

// Service 3: appends the routine unless it is already registered.
void RegisterExitRoutine(ExitRoutine routine);
// Calls every routine with its index in the list, then empties the list.
void RunExitRoutines();
void DiscardExitRoutines();
size_t ExitRoutineCount();

}  // namespace rt
