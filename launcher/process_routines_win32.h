// Finding, counting, ending and starting processes through the launcher's
// declared system-library commands.
#pragma once

#include <cstdint>

namespace launcher {

// Processes whose executable name equals `name` (ASCII letters in any case);
// -1 when no snapshot could be taken.
int32_t CountProcessesByName(const char* name);
// The id of the first process named `name`, 0 when none.
uint32_t FindProcessIdByName(const char* name, bool caseSensitive);
// Ends the process (0: the launcher itself) with exit code 0.
bool TerminateProcessById(uint32_t processId);
// Starts `application` with `commandLine`; the working directory is the
// application's folder when it has one. Returns the child's id, 0 on failure.
uint32_t RunProgram(const char* application, const char* commandLine, const char* workingDirectory);

}  // namespace launcher
