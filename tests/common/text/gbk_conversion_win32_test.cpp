#include "common/text/gbk_conversion_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "gbk_samples.h"

namespace {

using common::testing::kGbkSamples;

// The same texts as the host's converter, so both sides agree byte for byte.
TEST(GbkConversionWin32, ConvertsBothWaysThroughUtf16) {
    for (const auto& sample : kGbkSamples) {
        EXPECT_EQ(common::Utf8FromGbk(sample.gbk), sample.utf8);
        EXPECT_EQ(common::GbkFromUtf8(sample.utf8), sample.gbk);
        EXPECT_EQ(common::GbkFromWide(common::WideFromGbk(sample.gbk)), sample.gbk);
    }
    EXPECT_EQ(common::WideFromGbk("\xD6\xD0\xCE\xC4"), L"\u4E2D\u6587");
}

// Shown text never loses what follows a bad byte.
TEST(GbkConversionWin32, KeepsTheTextAroundBytesThatAreNotGbk) {
    std::wstring wide = common::WideFromGbk(std::string_view("a\xFF" "b", 3));
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide.front(), L'a');
    EXPECT_EQ(wide.back(), L'b');
}

}  // namespace
