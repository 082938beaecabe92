// Form sources as lines of tokens, with `include "file"` lines replaced by
// the lines of that file.
#pragma once

#include <string>
#include <vector>

#include "common/result.h"

namespace formsource {

struct Token {
    bool quoted = false;
    // Words as written; quoted strings with their escapes resolved.
    std::string text;
    // Quoted strings: the parts of `text` in order, each either UTF-8 source
    // text or raw bytes given as \xNN escapes.
    struct Part {
        bool raw;
        std::string bytes;
    };
    std::vector<Part> parts;
};

struct SourceLine {
    std::string file;
    int number = 0;
    std::vector<Token> tokens;
};

// "file:line: message".
std::string Located(const SourceLine& line, const std::string& message);

// Splits one line into tokens. Words end at white space; `#` outside a
// string starts a comment; strings take \\ \" \n \r \t and \xNN.
common::Result<std::vector<Token>> TokenizeLine(const std::string& text);

// Reads the file and, in place of each include line, the lines of the named
// file (relative to the including file). Blank and comment lines are left
// out. Fails on unreadable files, include cycles and bad tokens.
common::Result<std::vector<SourceLine>> ReadSourceLines(const std::string& path);

// A path named in a source line, made relative to that line's file.
std::string ResolvePath(const SourceLine& line, const std::string& path);

// Reads a whole file; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string* bytes);

}  // namespace formsource
