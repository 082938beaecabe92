// A driver command's words sorted into positional arguments, name=value
// options and bare flags, by the names the command knows.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/uidriver/command_tokens.h"

namespace uidriver {

struct CommandArguments {
    std::vector<std::string> positional;
    std::vector<bool> quoted;  // per positional word: it was written in quotes
    std::map<std::string, std::string> options;
    std::set<std::string> flags;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> Option(const std::string& name) const;
};

// Words after the command name. An unquoted word "name=value" whose name is
// in `optionNames` is an option, an unquoted word in `flagNames` is a flag;
// everything else (and every quoted word) is positional.
CommandArguments SortArguments(const std::vector<CommandToken>& words, std::initializer_list<const char*> optionNames,
                               std::initializer_list<const char*> flagNames);

// Decimal or 0x hexadecimal, optionally negative, the whole text.
bool ParseNumber(std::string_view text, int64_t* value);

}  // namespace uidriver
