#include "runtime/log_font.h"

#include <algorithm>
#include <cstring>

#include "runtime/byte_reader.h"

namespace rt {

LogFont LogFont::FromBytes(const uint8_t* bytes) {
    LogFont font;
    int32_t* words[] = {&font.lfHeight, &font.lfWidth, &font.lfEscapement, &font.lfOrientation, &font.lfWeight};
    for (int i = 0; i < 5; ++i) *words[i] = static_cast<int32_t>(rt::LoadU32(bytes + 4 * i));
    std::memcpy(&font.lfItalic, bytes + 20, 8);
    std::memcpy(font.lfFaceName, bytes + 28, 32);
    return font;
}

void LogFont::ToBytes(uint8_t* bytes) const {
    const int32_t words[] = {lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight};
    for (int i = 0; i < 5; ++i) rt::StoreU32(bytes + 4 * i, static_cast<uint32_t>(words[i]));
    std::memcpy(bytes + 20, &lfItalic, 8);
    std::memcpy(bytes + 28, lfFaceName, 32);
}

std::string_view LogFont::FaceName() const {
    const char* end = std::find(lfFaceName, lfFaceName + sizeof lfFaceName, '\0');
    return std::string_view(lfFaceName, static_cast<size_t>(end - lfFaceName));
}

void LogFont::SetFaceName(std::string_view face) {
    std::memset(lfFaceName, 0, sizeof lfFaceName);
    std::memcpy(lfFaceName, face.data(), std::min(face.size(), sizeof lfFaceName - 1));
}

bool LogFont::operator==(const LogFont& other) const {
    uint8_t a[kSize], b[kSize];
    ToBytes(a);
    other.ToBytes(b);
    return std::memcmp(a, b, kSize) == 0;
}

}  // namespace rt
