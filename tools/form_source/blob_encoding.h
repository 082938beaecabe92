// Inline byte blocks in form sources: hexadecimal and base64.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace formsource {

std::string HexEncode(const std::vector<uint8_t>& bytes);
// Whitespace between digit pairs is allowed; false for anything else odd.
bool HexDecode(std::string_view text, std::vector<uint8_t>* bytes);

std::string Base64Encode(const std::vector<uint8_t>& bytes);
// Standard alphabet with padding; whitespace is skipped.
bool Base64Decode(std::string_view text, std::vector<uint8_t>* bytes);

// A file-name extension for picture, icon and sound data ("bin" otherwise).
const char* BlobExtension(const std::vector<uint8_t>& bytes);

}  // namespace formsource
