// Which byte starts a two-byte character. More than one answer is right: the
// encoding has its own rule, and the runtime's script commands keep the rules
// scripts have always seen. Each caller picks the rule of what it is.
#pragma once

#include <cstddef>
#include <string_view>

namespace common {

// The encoding itself (CP936): for everything that handles text as GBK.
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
constexpr bool IsGbkTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// The runtime's text commands: any byte with its top bit set leads, as scripts count positions.
constexpr bool IsTextCommandLeadByte(unsigned char byte) { return byte >= 0x80; }

// The runtime's XML commands: only a byte above 0x80 leads, so 0x80 stands alone there.
constexpr bool IsXmlCommandLeadByte(unsigned char byte) { return byte > 0x80; }

using LeadByteRule = bool (*)(unsigned char);

// Bytes to step over at `at` (which must be inside the text): 2 for a lead
// byte with a byte after it, else 1, so a lone lead byte at the end stands alone.
constexpr size_t CharacterStep(std::string_view text, size_t at, LeadByteRule isLead) {
    return isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// Length of the GBK character at `at` (1 or 2), or 0 when the bytes there are
// not GBK: a byte that cannot lead, a lead byte at the end, a bad trail byte.
constexpr size_t GbkCharacterLength(std::string_view text, size_t at) {
    auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) return 1;
    if (!IsGbkLeadByte(byte) || at + 1 >= text.size()) return 0;
    return IsGbkTrailByte(static_cast<unsigned char>(text[at + 1])) ? 2 : 0;
}

}  // namespace common
