#include "support/launcher_runtime_win32.h"

#include <windows.h>

#include "launcher/program.h"
#include "launcher/program_state.h"
#include "runtime/entry_points.h"

namespace launcher::testing {

void StartLauncherRuntime() {
    rt::ProgramDescriptor program = launcher::Program();
    program.startRoutine = nullptr;
    rt::SetCurrentProgram(program);
    rt::InitializeRuntime();
    launcher::AllocateProgramState();
    launcher::State().AnsiCodePage = 936;
    launcher::State().TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
}

}  // namespace launcher::testing
