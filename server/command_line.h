// The server's command-line flags.
#pragma once

#include <string>

#include "server/server_config.h"

namespace server {

enum class CommandLineStatus { Run, Help, Error };

// Fills `config` from argv; on Error `message` says what is wrong. The --version text
// is taken as UTF-8 and stored as GBK.
CommandLineStatus ParseCommandLine(int argc, const char* const* argv, ServerConfig& config, std::string& message);

std::string CommandLineHelp(const char* program);

}  // namespace server
