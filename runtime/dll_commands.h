// Declared system-library commands: bound to an export on first call, cached
// per table index, released at shutdown.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

void InitializeDllCommands(uint32_t count, const char* const* libraryNames, const char* const* exportNames,
                           const std::string& programDirectory);
// Optional extra directories tried before and after the program's own folder.
void SetDllSearchDirectories(const std::string& preferred, const std::string& secondary);
// The address of the command's export; a command that cannot be bound is a
// fatal runtime error.
void* ResolveDllCommand(uint32_t index);
// The module handle cached for the index (null while unbound).
void* DllCommandModule(uint32_t index);
void ReleaseDllCommands();

}  // namespace rt
