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

bool ExpectQuoted(const Token& token, const char* what, std::string* error) {
    if (token.quoted) return true;
    *error = std::string(what) + " must be a quoted string, not " + Quote(token);
    return false;
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

bool ParseInteger(const Token& token, int64_t min, int64_t max, int64_t* value, std::string* error) {
    std::string_view text = token.text;
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    uint64_t magnitude;
    if (token.quoted || !ParseMagnitude(text, &magnitude) || magnitude > (uint64_t(1) << 40)) {
        *error = "bad number " + Quote(token);
        return false;
    }
    int64_t result = negative ? -int64_t(magnitude) : int64_t(magnitude);
    if (result < min || result > max) {
        *error = "number " + token.text + " is outside " + std::to_string(min) + ".." + std::to_string(max);
        return false;
    }
    *value = result;
    return true;
}

bool ParseWord(const Token& token, uint32_t* value, std::string* error) {
    int64_t number;
    if (!ParseInteger(token, INT32_MIN, UINT32_MAX, &number, error)) return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

bool ParseBool(const Token& token, bool* value, std::string* error) {
    if (!token.quoted && (token.text == "true" || token.text == "1")) {
        *value = true;
        return true;
    }
    if (!token.quoted && (token.text == "false" || token.text == "0")) {
        *value = false;
        return true;
    }
    *error = "expected true or false, not " + Quote(token);
    return false;
}

bool ParseText(const Token& token, std::string* gbk, std::string* error) {
    if (!ExpectQuoted(token, "text", error)) return false;
    std::string out;
    for (const Token::Part& part : token.parts) {
        if (part.raw) {
            out += part.bytes;
            continue;
        }
        std::string converted, bad;
        if (!Utf8ToGbk(part.bytes, &converted, &bad)) {
            *error = "text not representable in GBK: '" + bad + "'";
            return false;
        }
        out += converted;
    }
    *gbk = std::move(out);
    return true;
}

bool ExpectTokens(const SourceLine& line, size_t at, size_t count, std::string* error) {
    if (line.tokens.size() == at + count) return true;
    const std::string& keyword = line.tokens[0].text;
    if (line.tokens.size() < at + count) {
        *error = keyword + " needs " + std::to_string(count) + " value" + (count == 1 ? "" : "s");
    } else {
        *error = "unexpected " + Quote(line.tokens[at + count]) + " after " + keyword;
    }
    return false;
}

bool ParseBlob(const SourceLine& line, size_t at, Bytes* bytes, std::string* error) {
    if (line.tokens.size() > at && !line.tokens[at].quoted && line.tokens[at].text == "none") {
        if (!ExpectTokens(line, at, 1, error)) return false;
        bytes->clear();
        return true;
    }
    if (!ExpectTokens(line, at, 2, error)) return false;
    const Token& form = line.tokens[at];
    const Token& value = line.tokens[at + 1];
    if (form.quoted || (form.text != "file" && form.text != "hex" && form.text != "base64")) {
        *error = "expected none, file, hex or base64, not " + Quote(form);
        return false;
    }
    if (!ExpectQuoted(value, form.text.c_str(), error)) return false;
    if (form.text == "file") {
        std::string content;
        std::string path = ResolvePath(line, value.text);
        if (!ReadFileBytes(path, &content)) {
            *error = "file \"" + value.text + "\" not found or unreadable";
            return false;
        }
        bytes->assign(content.begin(), content.end());
        return true;
    }
    bool ok = form.text == "hex" ? HexDecode(value.text, bytes) : Base64Decode(value.text, bytes);
    if (!ok) *error = "bad " + form.text + " data";
    return ok;
}

bool ParseFont(const SourceLine& line, size_t at, std::optional<rt::LogFont>* font, std::string* error) {
    if (line.tokens.size() <= at) return ExpectTokens(line, at, 1, error);
    const Token& first = line.tokens[at];
    if (!first.quoted && (first.text == "none" || first.text == "file" || first.text == "hex" || first.text == "base64")) {
        Bytes bytes;
        if (!ParseBlob(line, at, &bytes, error)) return false;
        if (bytes.empty()) {
            font->reset();
            return true;
        }
        if (bytes.size() != rt::LogFont::kSize) {
            *error = "a font block holds 60 bytes, not " + std::to_string(bytes.size());
            return false;
        }
        *font = rt::LogFont::FromBytes(bytes.data());
        return true;
    }
    rt::LogFont result;
    for (size_t i = at; i < line.tokens.size(); i += 2) {
        const Token& name = line.tokens[i];
        if (i + 1 >= line.tokens.size()) {
            *error = "font member " + Quote(name) + " has no value";
            return false;
        }
        const Token& value = line.tokens[i + 1];
        if (!name.quoted && name.text == "face") {
            std::string face;
            if (!ParseText(value, &face, error)) return false;
            if (face.size() > 31) {
                *error = "font face name is longer than 31 bytes";
                return false;
            }
            result.SetFaceName(face);
            continue;
        }
        int member = -1;
        for (int m = 0; m < 13; ++m) {
            if (!name.quoted && name.text == kFontMembers[m].name) member = m;
        }
        if (member < 0) {
            *error = "unknown font member " + Quote(name);
            return false;
        }
        int64_t number;
        if (!ParseInteger(value, kFontMembers[member].min, kFontMembers[member].max, &number, error)) return false;
        SetFontMember(result, member, number);
    }
    *font = result;
    return true;
}

bool ParseMousePointer(const SourceLine& line, size_t at, Bytes* bytes, std::string* error) {
    if (line.tokens.size() <= at) return ExpectTokens(line, at, 1, error);
    const Token& form = line.tokens[at];
    if (form.quoted || (form.text != "index" && form.text != "cursor" && form.text != "cursor_file")) {
        return ParseBlob(line, at, bytes, error);
    }
    if (form.text == "cursor_file") {
        Bytes file;
        if (!ParseBlob(line, at + 1, &file, error)) return false;
        *bytes = {0xFF, 0xFF, 0xFF, 0xFF};
        bytes->insert(bytes->end(), file.begin(), file.end());
        return true;
    }
    if (!ExpectTokens(line, at, 2, error)) return false;
    const Token& value = line.tokens[at + 1];
    if (form.text == "index") {
        int64_t index;
        if (!ParseInteger(value, 0, 255, &index, error)) return false;
        *bytes = {static_cast<uint8_t>(index)};
        return true;
    }
    uint32_t id;
    if (auto named = value.quoted ? std::nullopt : CursorIdByName(value.text)) {
        id = *named;
    } else if (!ParseWord(value, &id, error)) {
        *error = "unknown cursor " + Quote(value);
        return false;
    }
    bytes->assign(4, 0);
    rt::StoreU32(bytes->data(), id);
    return true;
}

bool ParseFieldValue(const SourceLine& line, size_t at, const FieldInfo& info, FieldValue* value, std::string* error) {
    const std::vector<Token>& tokens = line.tokens;
    switch (info.kind) {
        case FieldKind::kWord:
        case FieldKind::kColour: {
            if (!ExpectTokens(line, at, 1, error)) return false;
            if (info.kind == FieldKind::kColour && !tokens[at].quoted && tokens[at].text == "default") {
                *value = int64_t(components::kDefaultColour);
                return true;
            }
            uint32_t word;
            if (!ParseWord(tokens[at], &word, error)) return false;
            *value = int64_t(word);
            return true;
        }
        case FieldKind::kInteger:
        case FieldKind::kPick:
        case FieldKind::kChar16: {
            if (!ExpectTokens(line, at, 1, error)) return false;
            if (info.kind == FieldKind::kChar16 && tokens[at].quoted) {
                if (tokens[at].text.size() != 1 || static_cast<unsigned char>(tokens[at].text[0]) >= 0x80) {
                    *error = "a quoted character must be one ASCII character; give other codes as numbers";
                    return false;
                }
                *value = int64_t(static_cast<unsigned char>(tokens[at].text[0]));
                return true;
            }
            int64_t min = INT32_MIN, max = INT32_MAX;
            if (info.kind == FieldKind::kPick) min = info.low, max = info.high;
            if (info.kind == FieldKind::kChar16) min = 0, max = 0xFFFF;
            int64_t number;
            if (!ParseInteger(tokens[at], min, max, &number, error)) return false;
            *value = number;
            return true;
        }
        case FieldKind::kBool: {
            bool flag;
            if (!ExpectTokens(line, at, 1, error) || !ParseBool(tokens[at], &flag, error)) return false;
            *value = flag;
            return true;
        }
        case FieldKind::kText: {
            std::string text;
            if (!ExpectTokens(line, at, 1, error) || !ParseText(tokens[at], &text, error)) return false;
            *value = std::move(text);
            return true;
        }
        case FieldKind::kBlock: {
            Bytes bytes;
            if (!ParseBlob(line, at, &bytes, error)) return false;
            *value = std::move(bytes);
            return true;
        }
        case FieldKind::kFont: {
            std::optional<rt::LogFont> font;
            if (!ParseFont(line, at, &font, error)) return false;
            *value = font;
            return true;
        }
        case FieldKind::kWordList: {
            std::vector<uint32_t> words;
            for (size_t i = at; i < tokens.size(); ++i) {
                uint32_t word;
                if (!ParseWord(tokens[i], &word, error)) return false;
                words.push_back(word);
            }
            *value = std::move(words);
            return true;
        }
        case FieldKind::kTextList16: {
            std::vector<std::string> texts;
            for (size_t i = at; i < tokens.size(); ++i) {
                std::string text;
                if (!ParseText(tokens[i], &text, error)) return false;
                texts.push_back(std::move(text));
            }
            if (texts.size() > 0xFFFF) {
                *error = "at most 65535 texts can be stored";
                return false;
            }
            *value = std::move(texts);
            return true;
        }
    }
    return false;
}

}  // namespace formsource
