// Starts the runtime in a test process with the launcher's own program: its
// template, libraries, handler table and program-wide state, without running
// its start routine.
#pragma once

namespace launcher::testing {

void StartLauncherRuntime();

}  // namespace launcher::testing
