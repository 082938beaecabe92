// A stored font: the 60 bytes of a LOGFONTA, little-endian, with the same
// member layout so a Windows component can copy it into the real record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rt {

struct LogFont {
    static constexpr size_t kSize = 60;

    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};  // GBK, NUL-padded

    static LogFont FromBytes(const uint8_t* bytes);  // kSize bytes
    void ToBytes(uint8_t* bytes) const;              // kSize bytes
    // The face name up to its first NUL.
    std::string_view FaceName() const;
    // Stores up to 31 bytes and clears the rest.
    void SetFaceName(std::string_view face);

    bool operator==(const LogFont& other) const;
};
static_assert(sizeof(LogFont) == LogFont::kSize, "LogFont matches LOGFONTA");
static_assert(offsetof(LogFont, lfItalic) == 20 && offsetof(LogFont, lfFaceName) == 28, "LOGFONTA member layout");

}  // namespace rt
