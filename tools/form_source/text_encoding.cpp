#include "tools/form_source/text_encoding.h"

#include <cstdio>

#include "common/text/gbk.h"
#include "common/text/gbk_converter.h"

namespace formsource {

namespace {

// The form tools run on one thread.
common::GbkConverter& Converter() {
    static common::GbkConverter converter;
    return converter;
}

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

void AppendEscape(std::string& out, unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    out += escape;
}

}  // namespace

bool Utf8ToGbk(std::string_view utf8, std::string* gbk, std::string* bad) {
    size_t failedAt = 0;
    if (Converter().ToGbk(utf8, *gbk, &failedAt)) return true;
    bad->clear();
    std::string_view rest = utf8.substr(failedAt);
    size_t length = rest.empty() ? 0 : Utf8SequenceLength(static_cast<unsigned char>(rest[0]));
    bool wellFormed = length > 1 && length <= rest.size();
    for (size_t i = 1; wellFormed && i < length; ++i) wellFormed = (static_cast<unsigned char>(rest[i]) & 0xC0) == 0x80;
    if (wellFormed || (length == 1 && static_cast<unsigned char>(rest[0]) < 0x80)) {
        *bad = std::string(rest.substr(0, length));
    } else {
        // Not UTF-8: shown as bytes so the message itself stays valid text.
        for (unsigned char byte : rest.substr(0, rest.empty() ? 0 : 1)) AppendEscape(*bad, byte);
    }
    return false;
}

std::string GbkToQuotedLiteral(std::string_view gbk) {
    std::string out = "\"";
    size_t at = 0;
    while (at < gbk.size()) {
        unsigned char byte = static_cast<unsigned char>(gbk[at]);
        if (byte < 0x80) {
            switch (byte) {
                case '"': out += "\\\""; break;
                case '\\': out += "\\\\"; break;
                case '\n': out += "\\n"; break;
                case '\r': out += "\\r"; break;
                case '\t': out += "\\t"; break;
                default:
                    if (byte < 0x20 || byte == 0x7F) {
                        AppendEscape(out, byte);
                    } else {
                        out += static_cast<char>(byte);
                    }
            }
            ++at;
            continue;
        }
        size_t length = common::CharacterStep(gbk, at, common::IsGbkLeadByte);
        std::string_view character = gbk.substr(at, length);
        std::string utf8, back, ignoredBad;
        if (Converter().ToUtf8(character, utf8) && Utf8ToGbk(utf8, &back, &ignoredBad) && back == character) {
            out += utf8;
            at += length;
        } else {
            AppendEscape(out, byte);
            ++at;
        }
    }
    out += '"';
    return out;
}

std::string QuotedRawLiteral(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char byte : bytes) {
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendEscape(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    out += '"';
    return out;
}

}  // namespace formsource
