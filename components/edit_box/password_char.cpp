#include "components/edit_box/password_char.h"

#include "common/text/gbk.h"

namespace components {

std::string PasswordCharText(uint16_t code) {
    std::string text;
    if (code == 0) return text;
    text.push_back(static_cast<char>(code & 0xFF));
    if (code > 0xFF) text.push_back(static_cast<char>(code >> 8));
    return text;
}

uint16_t PasswordCharCode(std::string_view text) {
    if (text.empty()) return 0;
    auto first = static_cast<uint8_t>(text[0]);
    if (common::IsGbkLeadByte(first) && text.size() >= 2) return static_cast<uint16_t>(first | static_cast<uint8_t>(text[1]) << 8);
    return first;
}

}  // namespace components
