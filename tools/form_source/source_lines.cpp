#include "tools/form_source/source_lines.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace formsource {

namespace {

constexpr int kMaxIncludeDepth = 32;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendPart(Token& token, bool raw, char c) {
    if (token.parts.empty() || token.parts.back().raw != raw) token.parts.push_back({raw, ""});
    token.parts.back().bytes += c;
    token.text += c;
}

common::Result<void> ReadQuoted(const std::string& text, size_t* at, Token* token) {
    size_t i = *at + 1;
    while (i < text.size() && text[i] != '"') {
        char c = text[i];
        if (c != '\\') {
            AppendPart(*token, false, c);
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) break;
        char escape = text[i + 1];
        switch (escape) {
            case '\\': AppendPart(*token, false, '\\'); break;
            case '"': AppendPart(*token, false, '"'); break;
            case 'n': AppendPart(*token, false, '\n'); break;
            case 'r': AppendPart(*token, false, '\r'); break;
            case 't': AppendPart(*token, false, '\t'); break;
            case 'x': {
                int high = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
                int low = i + 3 < text.size() ? HexValue(text[i + 3]) : -1;
                if (high < 0 || low < 0) return common::Error{"\\x needs two hexadecimal digits"};
                AppendPart(*token, true, static_cast<char>(high << 4 | low));
                i += 2;
                break;
            }
            default:
                return common::Error{std::string("unknown escape \\") + escape};
        }
        i += 2;
    }
    if (i >= text.size()) return common::Error{"string has no closing quote"};
    *at = i + 1;
    return {};
}

common::Result<void> ReadLines(const std::string& path, int depth, std::vector<std::string>& stack,
                               std::vector<SourceLine>& lines) {
    std::string content;
    if (!ReadFileBytes(path, &content)) return common::Error{path + ": cannot read the file"};
    std::istringstream stream(content);
    std::string text;
    SourceLine line;
    line.file = path;
    while (std::getline(stream, text)) {
        ++line.number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        auto tokens = TokenizeLine(text);
        if (!tokens) return common::Error{Located(line, tokens.error().message)};
        line.tokens = std::move(tokens).value();
        if (line.tokens.empty()) continue;
        const Token& first = line.tokens[0];
        if (first.quoted || first.text != "include") {
            lines.push_back(line);
            continue;
        }
        if (line.tokens.size() != 2 || !line.tokens[1].quoted) {
            return common::Error{Located(line, "include needs one quoted file name")};
        }
        std::string included = ResolvePath(line, line.tokens[1].text);
        std::error_code ignored;
        std::string canonical = std::filesystem::weakly_canonical(included, ignored).string();
        if (depth >= kMaxIncludeDepth || std::find(stack.begin(), stack.end(), canonical) != stack.end()) {
            return common::Error{Located(line, "include cycle through \"" + line.tokens[1].text + "\"")};
        }
        if (!std::filesystem::is_regular_file(included, ignored)) {
            return common::Error{Located(line, "included file \"" + line.tokens[1].text + "\" not found")};
        }
        stack.push_back(canonical);
        if (auto read = ReadLines(included, depth + 1, stack, lines); !read) return read;
        stack.pop_back();
    }
    return {};
}

}  // namespace

std::string Located(const SourceLine& line, const std::string& message) {
    return line.file + ":" + std::to_string(line.number) + ": " + message;
}

common::Result<std::vector<Token>> TokenizeLine(const std::string& text) {
    std::vector<Token> tokens;
    size_t at = 0;
    while (at < text.size()) {
        char c = text[at];
        if (c == ' ' || c == '\t') {
            ++at;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Token token;
            token.quoted = true;
            if (auto read = ReadQuoted(text, &at, &token); !read) return read.error();
            tokens.push_back(std::move(token));
        } else {
            size_t end = at;
            while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '"') ++end;
            Token token;
            token.text = text.substr(at, end - at);
            tokens.push_back(std::move(token));
            at = end;
        }
    }
    return tokens;
}

common::Result<std::vector<SourceLine>> ReadSourceLines(const std::string& path) {
    std::error_code ignored;
    std::vector<std::string> stack{std::filesystem::weakly_canonical(path, ignored).string()};
    std::vector<SourceLine> lines;
    if (auto read = ReadLines(path, 0, stack, lines); !read) return read.error();
    return lines;
}

std::string ResolvePath(const SourceLine& line, const std::string& path) {
    std::filesystem::path target(path);
    if (target.is_absolute()) return path;
    return (std::filesystem::path(line.file).parent_path() / target).string();
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

}  // namespace formsource
