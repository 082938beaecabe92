// The server's command-line flags.
#pragma once

#include <string>

#include "common/result.h"
#include "server/server_config.h"

namespace server {

enum class CommandLineAction { Run, Help };

// Fills `config` from argv, or says what is wrong with it. The --version text is
// taken as UTF-8 and stored as GBK.
common::Result<CommandLineAction> ParseCommandLine(int argc, const char* const* argv, ServerConfig& config);

std::string CommandLineHelp(const char* program);

}  // namespace server
