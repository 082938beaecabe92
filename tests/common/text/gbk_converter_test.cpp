// The host's converter (iconv); Windows builds convert through code page 936.
#ifndef _WIN32
#include "common/text/gbk_converter.h"

#include <gtest/gtest.h>

#include <string>

#include "gbk_samples.h"

namespace {

using common::GbkConverter;
using common::testing::kGbkSamples;
using namespace std::string_view_literals;

TEST(GbkConverter, ConvertsBothWays) {
    GbkConverter converter;
    for (const auto& sample : kGbkSamples) {
        std::string utf8, gbk;
        EXPECT_TRUE(converter.ToUtf8(sample.gbk, utf8));
        EXPECT_EQ(utf8, sample.utf8);
        EXPECT_TRUE(converter.ToGbk(sample.utf8, gbk));
        EXPECT_EQ(gbk, sample.gbk);
    }
}

struct Refusal {
    const char* what;
    bool fromGbk;
    std::string_view input;
    size_t failedAt;
    std::string_view convertedBefore;
};

// A refusal says where, and never passes off a shortened text as the whole.
TEST(GbkConverter, RefusesWhatIsNotWholeTextAndSaysWhere) {
    const Refusal refusals[] = {
        {"lead byte at the end", true, "ab\xD6"sv, 2, "ab"sv},
        {"bad trail byte", true, "a\xD6\x7F" "b"sv, 1, "a"sv},
        {"0xFF", true, "\xFF"sv, 0, ""sv},
        {"not UTF-8", false, "ok\xC3"sv, 2, "ok"sv},
        {"no GBK character", false, "a\xF0\x9F\x98\x80"sv, 1, "a"sv},
    };
    GbkConverter converter;
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        std::string out;
        size_t failedAt = 99;
        bool converted = refusal.fromGbk ? converter.ToUtf8(refusal.input, out, &failedAt)
                                         : converter.ToGbk(refusal.input, out, &failedAt);
        EXPECT_FALSE(converted);
        EXPECT_EQ(failedAt, refusal.failedAt);
        EXPECT_EQ(out, refusal.convertedBefore);
        // The converter is left ready for the next text.
        EXPECT_TRUE(converter.ToUtf8("\xD6\xD0"sv, out));
        EXPECT_EQ(out, "\xE4\xB8\xAD"sv);
    }
}

}  // namespace
#endif
