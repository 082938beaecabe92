// The edit box's password character between its stored code and its text.
#include <gtest/gtest.h>

#include "components/edit_box/password_char.h"

namespace {

struct PasswordCase {
    const char* text;
    uint16_t code;
    const char* back;  // the text the code gives
};

TEST(PasswordChar, CodesAndTextsOfOneCharacter) {
    const PasswordCase cases[] = {
        {"*", 42, "*"},
        {"", 0, ""},
        {"●", 0xF1A1, "●"},   // GBK A1 F1: the lead byte in the low half
        {"ab", 'a', "a"},      // only the first character counts
        {"密码", 0xDCC3, "密"},
    };
    for (const PasswordCase& c : cases) {
        EXPECT_EQ(components::PasswordCharCode(c.text), c.code) << c.back;
        EXPECT_EQ(components::PasswordCharText(c.code), c.back);
    }
}

TEST(PasswordChar, ALeadByteWithoutItsSecondByteIsKeptAlone) {
    EXPECT_EQ(components::PasswordCharCode("\xA1"), 0xA1);
    EXPECT_EQ(components::PasswordCharText(0xA1), "\xA1");
}

}  // namespace
