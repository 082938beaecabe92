// Values written in form sources: numbers, texts, byte blocks, fonts, mouse
// pointers and own-property values by kind. Each parser reads the tokens of
// one line from index `at` to the end and fails with a message (without the
// location) when they do not make exactly one value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "components/properties/component_data.h"
#include "tools/form_source/source_lines.h"

namespace formsource {

using Bytes = std::vector<uint8_t>;

common::Result<int64_t> ParseInteger(const Token& token, int64_t min, int64_t max);
// Any 32-bit value, signed or unsigned.
common::Result<uint32_t> ParseWord(const Token& token);
common::Result<bool> ParseBool(const Token& token);
// A quoted string converted to GBK.
common::Result<std::string> ParseText(const Token& token);

// Exactly `count` tokens from `at`.
common::Result<void> ExpectTokens(const SourceLine& line, size_t at, size_t count);

// none | file "path" | hex "digits" | base64 "text"
common::Result<Bytes> ParseBlob(const SourceLine& line, size_t at);
// none | a 60-byte blob | member value pairs (height -12 weight 700 face "宋体" ...)
common::Result<std::optional<rt::LogFont>> ParseFont(const SourceLine& line, size_t at);
// none | index N | cursor NAME-or-ID | cursor_file BLOB | BLOB
common::Result<Bytes> ParseMousePointer(const SourceLine& line, size_t at);
common::Result<components::FieldValue> ParseFieldValue(const SourceLine& line, size_t at,
                                                       const components::FieldInfo& info);

// Names of the rt::LogFont members in source order.
struct FontMember {
    const char* name;
    int64_t min, max;
};
extern const FontMember kFontMembers[13];
int64_t FontMemberValue(const rt::LogFont& font, int index);
void SetFontMember(rt::LogFont& font, int index, int64_t value);

}  // namespace formsource
