#include "components/properties/property_layout.h"

#include <algorithm>

namespace components::layout_detail {

bool ReadFont(rt::ByteReader& reader, std::optional<rt::LogFont>* out) {
    const uint8_t* bytes;
    uint32_t length;
    if (!reader.ReadCounted(&bytes, &length)) return false;
    if (length == rt::LogFont::kSize) {
        *out = rt::LogFont::FromBytes(bytes);
    } else {
        out->reset();  // a block that is not a LOGFONTA is no font
    }
    return true;
}

void WriteFont(rt::ByteWriter& out, const std::optional<rt::LogFont>& font) {
    if (!font) {
        out.PutU32(0);
        return;
    }
    uint8_t bytes[rt::LogFont::kSize];
    font->ToBytes(bytes);
    out.PutCounted(bytes, sizeof bytes);
}

bool ReadWordList(rt::ByteReader& reader, std::vector<uint32_t>* out, bool* badLength) {
    const uint8_t* bytes;
    uint32_t length;
    if (!reader.ReadCounted(&bytes, &length)) return false;
    if (length % 4 != 0) {
        *badLength = true;
        return false;
    }
    out->resize(length / 4);
    for (uint32_t i = 0; i < length / 4; ++i) (*out)[i] = rt::LoadU32(bytes + 4 * i);
    return true;
}

void WriteWordList(rt::ByteWriter& out, const std::vector<uint32_t>& words) {
    out.PutU32(static_cast<uint32_t>(4 * words.size()));
    for (uint32_t word : words) out.PutU32(word);
}

bool ReadTextList16(rt::ByteReader& reader, std::vector<std::string>* out) {
    uint16_t count;
    if (!reader.ReadU16(&count)) return false;
    if (size_t(count) * 4 > reader.Remaining()) return false;  // each text has at least its length word
    std::vector<std::string> texts(count);
    for (std::string& text : texts) {
        if (!reader.ReadCountedText(&text)) return false;
    }
    *out = std::move(texts);
    return true;
}

void WriteTextList16(rt::ByteWriter& out, const std::vector<std::string>& texts) {
    // The count is 16 bits wide: texts beyond 65535 cannot be stored.
    const size_t count = std::min<size_t>(texts.size(), 0xFFFF);
    out.PutU16(static_cast<uint16_t>(count));
    for (size_t i = 0; i < count; ++i) out.PutCounted(texts[i]);
}

}  // namespace components::layout_detail
