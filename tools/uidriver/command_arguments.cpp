#include "tools/uidriver/command_arguments.h"

#include <cstring>
#include <limits>

namespace uidriver {
namespace {

bool Contains(std::initializer_list<const char*> names, std::string_view name) {
    for (const char* known : names)
        if (name == known) return true;
    return false;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

}  // namespace

std::optional<std::string> CommandArguments::Option(const std::string& name) const {
    auto found = options.find(name);
    if (found == options.end()) return std::nullopt;
    return found->second;
}

CommandArguments SortArguments(const std::vector<CommandToken>& words, std::initializer_list<const char*> optionNames,
                               std::initializer_list<const char*> flagNames) {
    CommandArguments arguments;
    for (const CommandToken& word : words) {
        if (!word.quoted) {
            size_t equals = word.text.find('=');
            if (equals != std::string::npos && Contains(optionNames, std::string_view(word.text).substr(0, equals))) {
                arguments.options[word.text.substr(0, equals)] = word.text.substr(equals + 1);
                continue;
            }
            if (Contains(flagNames, word.text)) {
                arguments.flags.insert(word.text);
                continue;
            }
        }
        arguments.positional.push_back(word.text);
        arguments.quoted.push_back(word.quoted);
    }
    return arguments;
}

bool ParseNumber(std::string_view text, int64_t* value) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    uint64_t result = 0;
    for (char c : text) {
        int digit = DigitValue(c);
        if (digit >= base) return false;
        if (result > (std::numeric_limits<uint64_t>::max() - digit) / base) return false;
        result = result * base + digit;
    }
    if (result > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
    *value = negative ? -static_cast<int64_t>(result) : static_cast<int64_t>(result);
    return true;
}

}  // namespace uidriver
