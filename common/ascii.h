// ASCII-only case folding and trimming: bytes above 0x7F (GBK) never change.
#pragma once

#include <string_view>

namespace common {

constexpr char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

// Blanks as each format counts them.
inline constexpr std::string_view kSpacesAndTabs = " \t";
inline constexpr std::string_view kLineBlanks = " \t\r";
inline constexpr std::string_view kXmlSpaces = " \t\r\n";

// `text` without the `blanks` at either end.
constexpr std::string_view Trimmed(std::string_view text, std::string_view blanks = kSpacesAndTabs) {
    while (!text.empty() && blanks.find(text.front()) != std::string_view::npos) text.remove_prefix(1);
    while (!text.empty() && blanks.find(text.back()) != std::string_view::npos) text.remove_suffix(1);
    return text;
}

}  // namespace common
