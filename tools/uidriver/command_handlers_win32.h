// The driver's commands, each turning its words into one answer. README.md
// gives their syntax.
#pragma once

#include <vector>

#include "tools/uidriver/command_tokens.h"
#include "tools/uidriver/json_value.h"

namespace uidriver {

class DriverSession;
using CommandHandler = JsonValue (*)(DriverSession&, const std::vector<CommandToken>&);

struct CommandEntry {
    const char* name;
    CommandHandler handler;
};

// Windows and forms (window_commands_win32.cpp).
JsonValue WindowsCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue ControlsCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue FindCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue FocusCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue FormsCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue WaitWindowCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue WaitGoneCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue CloseCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue CaptureCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue RepaintCommand(DriverSession&, const std::vector<CommandToken>&);

// Controls (control_commands_win32.cpp).
JsonValue TextCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue SetTextCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue TypeCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue ItemsCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue SelectCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue ClickCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue WaitTextCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue WaitStateCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue SendCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue TrayRemoveCommand(DriverSession&, const std::vector<CommandToken>&);

// Message boxes (message_box_commands_win32.cpp).
JsonValue MessageBoxCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue PressCommand(DriverSession&, const std::vector<CommandToken>&);

// Processes (process_commands_win32.cpp).
JsonValue StartCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue ExitCodeCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue KillCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue MemoryCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue ProcessesCommand(DriverSession&, const std::vector<CommandToken>&);
JsonValue ScopeCommand(DriverSession&, const std::vector<CommandToken>&);

}  // namespace uidriver
