#include "tools/uidriver/command_tokens.h"

namespace uidriver {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool SplitCommandLine(std::string_view line, std::vector<CommandToken>* tokens, std::string* error) {
    std::vector<CommandToken> result;
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        CommandToken token;
        while (i < line.size() && !IsBlank(line[i])) {
            if (line[i] != '"') {
                token.text += line[i++];
                continue;
            }
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    token.text += c;
                    continue;
                }
                if (i >= line.size()) break;
                char escaped = line[i++];
                switch (escaped) {
                    case '"': token.text += '"'; break;
                    case '\\': token.text += '\\'; break;
                    case 'n': token.text += '\n'; break;
                    case 'r': token.text += '\r'; break;
                    case 't': token.text += '\t'; break;
                    default:
                        *error = std::string("unknown escape \\") + escaped;
                        return false;
                }
            }
            if (!closed) {
                *error = "unterminated quote";
                return false;
            }
        }
        result.push_back(std::move(token));
    }
    *tokens = std::move(result);
    return true;
}

}  // namespace uidriver
