// Splitting one driver command line into words: blanks separate words, double
// quotes keep blanks and take the escapes \" \\ \n \r \t.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace uidriver {

struct CommandToken {
    std::string text;
    bool quoted = false;  // a quoted word is never read as a name=value option
};

// False, with a message, for an unterminated quote or an unknown escape.
bool SplitCommandLine(std::string_view line, std::vector<CommandToken>* tokens, std::string* error);

}  // namespace uidriver
