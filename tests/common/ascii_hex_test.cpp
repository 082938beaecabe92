#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "common/hex.h"

namespace {

TEST(Ascii, FoldsAndTrimsAsciiOnly) {
    EXPECT_TRUE(common::EqualIgnoringAsciiCase("Content-Range", "content-RANGE"));
    EXPECT_FALSE(common::EqualIgnoringAsciiCase("abc", "abcd"));
    // GBK bytes are never folded: 0xC1 and 0xE1 are different characters' bytes.
    EXPECT_FALSE(common::EqualIgnoringAsciiCase("\xC1\xA1", "\xE1\xA1"));
    EXPECT_EQ(common::Trimmed(" \t a b \t"), "a b");
    EXPECT_EQ(common::Trimmed("\r\n x \r", common::kLineBlanks), "\n x");
    EXPECT_EQ(common::Trimmed("\r\n x \r", common::kXmlSpaces), "x");
    EXPECT_EQ(common::Trimmed("  "), "");
}

TEST(Hex, EncodesLowerCaseAndDecodesOnlyWhatItWrites) {
    const std::vector<uint8_t> bytes = {0x00, 0x7F, 0x80, 0xAB, 0xFF};
    EXPECT_EQ(common::HexEncode(bytes), "007f80abff");
    EXPECT_EQ(common::HexDecode("007f80abff"), std::string("\x00\x7F\x80\xAB\xFF", 5));
    EXPECT_EQ(common::HexDecode(""), std::string());
    for (const char* bad : {"0", "0g", "AB", "a b"}) EXPECT_FALSE(common::HexDecode(bad).has_value()) << bad;
    EXPECT_EQ(common::HexDigitValue('F'), 15);
    EXPECT_EQ(common::LowerHexDigitValue('F'), -1);
}

}  // namespace
