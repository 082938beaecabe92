// The edit box's password character: stored as a 16-bit character code,
// exchanged with program code as a text of that one character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace components {

// One byte, or a double-byte character with its lead byte in the low half of
// the code (the byte order of the text); 0 is the empty text.
std::string PasswordCharText(uint16_t code);
// The code of the text's first character (0 for an empty text).
uint16_t PasswordCharCode(std::string_view text);

}  // namespace components
