#include "tools/form_source/source_values.h"

#include <charconv>

#include "runtime/byte_reader.h"
#include "tools/form_source/blob_encoding.h"
#include "tools/form_source/source_names.h"
#include "tools/form_source/text_encoding.h"

namespace formsource {

using components::FieldInfo;
using components::FieldKind;
using components::FieldValue;
using rt::LogFont;

const FontMember kFontMembers[13] = {
    {"height", INT32_MIN, INT32_MAX},   {"width", INT32_MIN, INT32_MAX},   {"escapement", INT32_MIN, INT32_MAX},
    {"orientation", INT32_MIN, INT32_MAX}, {"weight", INT32_MIN, INT32_MAX}, {"italic", 0, 255},
    {"underline", 0, 255},              {"strike_out", 0, 255},           {"charset", 0, 255},
    {"out_precision", 0, 255},          {"clip_precision", 0, 255},       {"quality", 0, 255},
    {"pitch_and_family", 0, 255},
};

namespace {

std::string Quote(const Token& token) { return token.quoted ? "\"" + token.text + "\"" : "'" + token.text + "'"; }

bool ParseMagnitude(std::string_view text, uint64_t* value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value, base);
    return error == std::errc() && end == text.data() + text.size();
}

common::Result<void> ExpectQuoted(const Token& token, const char* what) {
    if (token.quoted) return {};
    return common::Error{std::string(what) + " must be a quoted string, not " + Quote(token)};
}

uint8_t* FontBytes(rt::LogFont& font, int index) { return &font.lfItalic + (index - 5); }

}  // namespace

int64_t FontMemberValue(const rt::LogFont& font, int index) {
    const int32_t words[] = {font.lfHeight, font.lfWidth, font.lfEscapement, font.lfOrientation, font.lfWeight};
    if (index < 5) return words[index];
    return *FontBytes(const_cast<rt::LogFont&>(font), index);
}

void SetFontMember(rt::LogFont& font, int index, int64_t value) {
    int32_t* words[] = {&font.lfHeight, &font.lfWidth, &font.lfEscapement, &font.lfOrientation, &font.lfWeight};
    if (index < 5) {
        *words[index] = static_cast<int32_t>(value);
    } else {
        *FontBytes(font, index) = static_cast<uint8_t>(value);
    }
}

common::Result<int64_t> ParseInteger(const Token& token, int64_t min, int64_t max) {
    std::string_view text = token.text;
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    uint64_t magnitude;
    if (token.quoted || !ParseMagnitude(text, &magnitude) || magnitude > (uint64_t(1) << 40)) {
        return common::Error{"bad number " + Quote(token)};
    }
    int64_t result = negative ? -int64_t(magnitude) : int64_t(magnitude);
    if (result < min || result > max) {
        return common::Error{"number " + token.text + " is outside " + std::to_string(min) + ".." +
                             std::to_string(max)};
    }
    return result;
}

common::Result<uint32_t> ParseWord(const Token& token) {
    auto number = ParseInteger(token, INT32_MIN, UINT32_MAX);
    if (!number) return number.error();
    return static_cast<uint32_t>(*number);
}

common::Result<bool> ParseBool(const Token& token) {
    if (!token.quoted && (token.text == "true" || token.text == "1")) return true;
    if (!token.quoted && (token.text == "false" || token.text == "0")) return false;
    return common::Error{"expected true or false, not " + Quote(token)};
}

common::Result<std::string> ParseText(const Token& token) {
    if (auto quoted = ExpectQuoted(token, "text"); !quoted) return quoted.error();
    std::string out;
    for (const Token::Part& part : token.parts) {
        if (part.raw) {
            out += part.bytes;
            continue;
        }
        std::string converted, bad;
        if (!Utf8ToGbk(part.bytes, &converted, &bad)) {
            return common::Error{"text not representable in GBK: '" + bad + "'"};
        }
        out += converted;
    }
    return out;
}

common::Result<void> ExpectTokens(const SourceLine& line, size_t at, size_t count) {
    if (line.tokens.size() == at + count) return {};
    const std::string& keyword = line.tokens[0].text;
    if (line.tokens.size() < at + count) {
        return common::Error{keyword + " needs " + std::to_string(count) + " value" + (count == 1 ? "" : "s")};
    }
    return common::Error{"unexpected " + Quote(line.tokens[at + count]) + " after " + keyword};
}

common::Result<Bytes> ParseBlob(const SourceLine& line, size_t at) {
    if (line.tokens.size() > at && !line.tokens[at].quoted && line.tokens[at].text == "none") {
        if (auto count = ExpectTokens(line, at, 1); !count) return count.error();
        return Bytes();
    }
    if (auto count = ExpectTokens(line, at, 2); !count) return count.error();
    const Token& form = line.tokens[at];
    const Token& value = line.tokens[at + 1];
    if (form.quoted || (form.text != "file" && form.text != "hex" && form.text != "base64")) {
        return common::Error{"expected none, file, hex or base64, not " + Quote(form)};
    }
    if (auto quoted = ExpectQuoted(value, form.text.c_str()); !quoted) return quoted.error();
    if (form.text == "file") {
        std::string content;
        std::string path = ResolvePath(line, value.text);
        if (!ReadFileBytes(path, &content)) return common::Error{"file \"" + value.text + "\" not found or unreadable"};
        return Bytes(content.begin(), content.end());
    }
    Bytes bytes;
    bool ok = form.text == "hex" ? HexDecode(value.text, &bytes) : Base64Decode(value.text, &bytes);
    if (!ok) return common::Error{"bad " + form.text + " data"};
    return bytes;
}

common::Result<std::optional<rt::LogFont>> ParseFont(const SourceLine& line, size_t at) {
    if (line.tokens.size() <= at) return ExpectTokens(line, at, 1).error();
    const Token& first = line.tokens[at];
    if (!first.quoted && (first.text == "none" || first.text == "file" || first.text == "hex" || first.text == "base64")) {
        auto bytes = ParseBlob(line, at);
        if (!bytes) return bytes.error();
        if (bytes->empty()) return std::optional<rt::LogFont>();
        if (bytes->size() != rt::LogFont::kSize) {
            return common::Error{"a font block holds 60 bytes, not " + std::to_string(bytes->size())};
        }
        return std::optional<rt::LogFont>(rt::LogFont::FromBytes(bytes->data()));
    }
    rt::LogFont result;
    for (size_t i = at; i < line.tokens.size(); i += 2) {
        const Token& name = line.tokens[i];
        if (i + 1 >= line.tokens.size()) return common::Error{"font member " + Quote(name) + " has no value"};
        const Token& value = line.tokens[i + 1];
        if (!name.quoted && name.text == "face") {
            auto face = ParseText(value);
            if (!face) return face.error();
            if (face->size() > 31) return common::Error{"font face name is longer than 31 bytes"};
            result.SetFaceName(*face);
            continue;
        }
        int member = -1;
        for (int m = 0; m < 13; ++m) {
            if (!name.quoted && name.text == kFontMembers[m].name) member = m;
        }
        if (member < 0) return common::Error{"unknown font member " + Quote(name)};
        auto number = ParseInteger(value, kFontMembers[member].min, kFontMembers[member].max);
        if (!number) return number.error();
        SetFontMember(result, member, *number);
    }
    return std::optional<rt::LogFont>(result);
}

common::Result<Bytes> ParseMousePointer(const SourceLine& line, size_t at) {
    if (line.tokens.size() <= at) return ExpectTokens(line, at, 1).error();
    const Token& form = line.tokens[at];
    if (form.quoted || (form.text != "index" && form.text != "cursor" && form.text != "cursor_file")) {
        return ParseBlob(line, at);
    }
    if (form.text == "cursor_file") {
        auto file = ParseBlob(line, at + 1);
        if (!file) return file.error();
        Bytes bytes = {0xFF, 0xFF, 0xFF, 0xFF};
        bytes.insert(bytes.end(), file->begin(), file->end());
        return bytes;
    }
    if (auto count = ExpectTokens(line, at, 2); !count) return count.error();
    const Token& value = line.tokens[at + 1];
    if (form.text == "index") {
        auto index = ParseInteger(value, 0, 255);
        if (!index) return index.error();
        return Bytes{static_cast<uint8_t>(*index)};
    }
    uint32_t id;
    if (auto named = value.quoted ? std::nullopt : CursorIdByName(value.text)) {
        id = *named;
    } else if (auto word = ParseWord(value)) {
        id = *word;
    } else {
        return common::Error{"unknown cursor " + Quote(value)};
    }
    Bytes bytes(4, 0);
    rt::StoreU32(bytes.data(), id);
    return bytes;
}

namespace {

// A list of values, one per token from `at`.
template <typename T, typename Parse>
common::Result<std::vector<T>> ParseEach(const std::vector<Token>& tokens, size_t at, Parse parse) {
    std::vector<T> values;
    for (size_t i = at; i < tokens.size(); ++i) {
        auto value = parse(tokens[i]);
        if (!value) return value.error();
        values.push_back(std::move(*value));
    }
    return values;
}

}  // namespace

common::Result<FieldValue> ParseFieldValue(const SourceLine& line, size_t at, const FieldInfo& info) {
    const std::vector<Token>& tokens = line.tokens;
    switch (info.kind) {
        case FieldKind::kWord:
        case FieldKind::kColour: {
            if (auto count = ExpectTokens(line, at, 1); !count) return count.error();
            if (info.kind == FieldKind::kColour && !tokens[at].quoted && tokens[at].text == "default") {
                return FieldValue(int64_t(components::kDefaultColour));
            }
            auto word = ParseWord(tokens[at]);
            if (!word) return word.error();
            return FieldValue(int64_t(*word));
        }
        case FieldKind::kInteger:
        case FieldKind::kPick:
        case FieldKind::kChar16: {
            if (auto count = ExpectTokens(line, at, 1); !count) return count.error();
            if (info.kind == FieldKind::kChar16 && tokens[at].quoted) {
                if (tokens[at].text.size() != 1 || static_cast<unsigned char>(tokens[at].text[0]) >= 0x80) {
                    return common::Error{"a quoted character must be one ASCII character; give other codes as numbers"};
                }
                return FieldValue(int64_t(static_cast<unsigned char>(tokens[at].text[0])));
            }
            int64_t min = INT32_MIN, max = INT32_MAX;
            if (info.kind == FieldKind::kPick) min = info.low, max = info.high;
            if (info.kind == FieldKind::kChar16) min = 0, max = 0xFFFF;
            auto number = ParseInteger(tokens[at], min, max);
            if (!number) return number.error();
            return FieldValue(*number);
        }
        case FieldKind::kBool: {
            if (auto count = ExpectTokens(line, at, 1); !count) return count.error();
            auto flag = ParseBool(tokens[at]);
            if (!flag) return flag.error();
            return FieldValue(*flag);
        }
        case FieldKind::kText: {
            if (auto count = ExpectTokens(line, at, 1); !count) return count.error();
            auto text = ParseText(tokens[at]);
            if (!text) return text.error();
            return FieldValue(std::move(*text));
        }
        case FieldKind::kBlock: {
            auto bytes = ParseBlob(line, at);
            if (!bytes) return bytes.error();
            return FieldValue(std::move(*bytes));
        }
        case FieldKind::kFont: {
            auto font = ParseFont(line, at);
            if (!font) return font.error();
            return FieldValue(*font);
        }
        case FieldKind::kWordList: {
            auto words = ParseEach<uint32_t>(tokens, at, ParseWord);
            if (!words) return words.error();
            return FieldValue(std::move(*words));
        }
        case FieldKind::kTextList16: {
            auto texts = ParseEach<std::string>(tokens, at, ParseText);
            if (!texts) return texts.error();
            if (texts->size() > 0xFFFF) return common::Error{"at most 65535 texts can be stored"};
            return FieldValue(std::move(*texts));
        }
    }
    return common::Error{"unknown field kind"};
}

}  // namespace formsource
