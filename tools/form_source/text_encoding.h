// UTF-8 source text ↔ GBK template text.
#pragma once

#include <string>
#include <string_view>

namespace formsource {

// Strict conversion: false when the input is not UTF-8 or holds a character
// that GBK cannot represent; *bad then receives that character (or the
// offending bytes in hexadecimal).
bool Utf8ToGbk(std::string_view utf8, std::string* gbk, std::string* bad);

// A quoted source literal whose text converts back to exactly these GBK
// bytes: characters that convert cleanly both ways appear as themselves,
// quotes, backslashes, control bytes and anything else as escapes.
std::string GbkToQuotedLiteral(std::string_view gbk);

// A quoted literal for bytes that are used as they are (file paths).
std::string QuotedRawLiteral(std::string_view bytes);

}  // namespace formsource
