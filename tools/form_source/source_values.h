// Values written in form sources: numbers, texts, byte blocks, fonts, mouse
// pointers and own-property values by kind. Each parser reads the tokens of
// one line from index `at` to the end and fails with a message (without the
// location) when they do not make exactly one value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "components/properties/component_data.h"
#include "tools/form_source/source_lines.h"

namespace formsource {

using Bytes = std::vector<uint8_t>;

bool ParseInteger(const Token& token, int64_t min, int64_t max, int64_t* value, std::string* error);
// Any 32-bit value, signed or unsigned.
bool ParseWord(const Token& token, uint32_t* value, std::string* error);
bool ParseBool(const Token& token, bool* value, std::string* error);
// A quoted string converted to GBK.
bool ParseText(const Token& token, std::string* gbk, std::string* error);

// Exactly `count` tokens from `at`.
bool ExpectTokens(const SourceLine& line, size_t at, size_t count, std::string* error);

// none | file "path" | hex "digits" | base64 "text"
bool ParseBlob(const SourceLine& line, size_t at, Bytes* bytes, std::string* error);
// none | a 60-byte blob | member value pairs (height -12 weight 700 face "宋体" ...)
bool ParseFont(const SourceLine& line, size_t at, std::optional<rt::LogFont>* font, std::string* error);
// none | index N | cursor NAME-or-ID | cursor_file BLOB | BLOB
bool ParseMousePointer(const SourceLine& line, size_t at, Bytes* bytes, std::string* error);
bool ParseFieldValue(const SourceLine& line, size_t at, const components::FieldInfo& info,
                     components::FieldValue* value, std::string* error);

// Names of the rt::LogFont members in source order.
struct FontMember {
    const char* name;
    int64_t min, max;
};
extern const FontMember kFontMembers[13];
int64_t FontMemberValue(const rt::LogFont& font, int index);
void SetFontMember(rt::LogFont& font, int index, int64_t value);

}  // namespace formsource
