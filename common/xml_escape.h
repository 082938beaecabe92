// Text placed in the XML documents this system writes, as element content or
// as an attribute value in double quotes.
#pragma once

#include <string>
#include <string_view>

namespace common {

// All five markup characters as entities, byte by byte: no GBK trail byte is
// one of them, so well-formed text passes whole and malformed text cannot
// smuggle markup behind a stray lead byte.
inline std::string EscapeXml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace common
