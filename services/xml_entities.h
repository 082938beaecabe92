// The five XML character entities (and "&quote;", read as "&quot;").
#pragma once

#include <string>
#include <string_view>

namespace services {

// A byte above 0x80 starts a double-byte character in XML text; markup is
// never recognised inside one.
constexpr bool IsXmlLeadByte(unsigned char byte) { return byte > 0x80; }

std::string DecodeXmlEntities(std::string_view text);
// Quotes, ampersands, apostrophes and angle brackets as entities.
std::string EncodeXmlEntities(std::string_view text);

}  // namespace services
