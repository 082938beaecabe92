#include "runtime/exit_routines.h"

#include <vector>

namespace rt {
namespace {
std::vector<ExitRoutine>& Routines() {
    static std::vector<ExitRoutine> routines;
    return routines;
}
}  // namespace

void RegisterExitRoutine(ExitRoutine routine) {
    if (!routine) return;
    for (ExitRoutine existing : Routines())
        if (existing == routine) return;
    Routines().push_back(routine);
}

void RunExitRoutines() {
    // Taken out first, so a routine that ends the program cannot run the list twice.
    std::vector<ExitRoutine> routines;
    routines.swap(Routines());
    for (size_t i = 0; i < routines.size(); ++i) routines[i](static_cast<int>(i));
}

void DiscardExitRoutines() { Routines().clear(); }
size_t ExitRoutineCount() { return Routines().size(); }

}  // namespace rt
