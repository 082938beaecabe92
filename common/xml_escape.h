// Text placed in the XML documents this system writes, as element content or
// as an attribute value in double quotes.
#pragma once

#include <string>
#include <string_view>

namespace common {

// One byte, a markup character as its entity.
inline void AppendXmlEscaped(std::string& out, char c) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&apos;"; break;
    default: out += c;
    }
}

// All five markup characters as entities, byte by byte: no GBK trail byte is
// one of them, so well-formed text passes whole and malformed text cannot
// smuggle markup behind a stray lead byte.
inline std::string EscapeXml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) AppendXmlEscaped(escaped, c);
    return escaped;
}

}  // namespace common
