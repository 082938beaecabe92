#include "tools/form_source/blob_encoding.h"

#include <cstring>

#include "common/hex.h"

namespace formsource {

namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Digit(char c) {
    const char* at = std::strchr(kBase64, c);
    return c != 0 && at ? static_cast<int>(at - kBase64) : -1;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool StartsWith(const std::vector<uint8_t>& bytes, const char* magic, size_t length, size_t at = 0) {
    return bytes.size() >= at + length && std::memcmp(bytes.data() + at, magic, length) == 0;
}

}  // namespace

std::string HexEncode(const std::vector<uint8_t>& bytes) { return common::HexEncode(bytes); }

bool HexDecode(std::string_view text, std::vector<uint8_t>* bytes) {
    std::vector<uint8_t> out;
    out.reserve(text.size() / 2);
    size_t at = 0;
    while (at < text.size()) {
        if (IsSpace(text[at])) {
            ++at;
            continue;
        }
        if (at + 1 >= text.size()) return false;
        int high = common::HexDigitValue(text[at]), low = common::HexDigitValue(text[at + 1]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<uint8_t>(high << 4 | low));
        at += 2;
    }
    *bytes = std::move(out);
    return true;
}

std::string Base64Encode(const std::vector<uint8_t>& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t at = 0;
    for (; at + 2 < bytes.size(); at += 3) {
        uint32_t group = uint32_t(bytes[at]) << 16 | uint32_t(bytes[at + 1]) << 8 | bytes[at + 2];
        for (int shift = 18; shift >= 0; shift -= 6) out += kBase64[(group >> shift) & 63];
    }
    if (at < bytes.size()) {
        uint32_t group = uint32_t(bytes[at]) << 16;
        if (at + 1 < bytes.size()) group |= uint32_t(bytes[at + 1]) << 8;
        out += kBase64[(group >> 18) & 63];
        out += kBase64[(group >> 12) & 63];
        out += at + 1 < bytes.size() ? kBase64[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool Base64Decode(std::string_view text, std::vector<uint8_t>* bytes) {
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int digits = 0, padding = 0;
    for (char c : text) {
        if (IsSpace(c)) continue;
        if (c == '=') {
            ++padding;
            group <<= 6;
            ++digits;
        } else {
            int value = Base64Digit(c);
            if (value < 0 || padding > 0) return false;
            group = group << 6 | uint32_t(value);
            ++digits;
        }
        if (digits == 4) {
            if (padding > 2) return false;
            out.push_back(uint8_t(group >> 16));
            if (padding < 2) out.push_back(uint8_t(group >> 8));
            if (padding < 1) out.push_back(uint8_t(group));
            group = 0;
            digits = 0;
        }
    }
    if (digits != 0) return false;
    *bytes = std::move(out);
    return true;
}

const char* BlobExtension(const std::vector<uint8_t>& bytes) {
    if (StartsWith(bytes, "\x89PNG", 4)) return "png";
    if (StartsWith(bytes, "\xFF\xD8", 2)) return "jpg";
    if (StartsWith(bytes, "GIF8", 4)) return "gif";
    if (StartsWith(bytes, "BM", 2)) return "bmp";
    if (StartsWith(bytes, "\0\0\1\0", 4)) return "ico";
    if (StartsWith(bytes, "\0\0\2\0", 4)) return "cur";
    if (StartsWith(bytes, "RIFF", 4) && StartsWith(bytes, "WAVE", 4, 8)) return "wav";
    if (StartsWith(bytes, "MThd", 4)) return "mid";
    return "bin";
}

}  // namespace formsource
