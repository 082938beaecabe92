// Text search, splitting, comparison and measuring through the command calls.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "services/core_commands.h"
#include "support/command_call.h"

namespace {

using services::testing::Call;

// "乥" is 0x81 0x62: its trail byte is the letter b. "乗" is 0x81 0x5C: a backslash.
constexpr char kTrailB[] = "\x81\x62";

rt::ValueRecord Text(const char* text) { return rt::MakeText(text); }
rt::ValueRecord Omitted() { return rt::ValueRecord{}; }

struct FindCase {
    const char* text;
    const char* sought;
    std::optional<int> start;
    bool ignoreCase;
    int forward;
    int reverse;
};

void PrintTo(const FindCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(std::string(c.sought)) << " in " << ::testing::PrintToString(std::string(c.text))
         << " from " << (c.start ? std::to_string(*c.start) : "-") << (c.ignoreCase ? " ignoring case" : "");
}

class FindTextCases : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextCases, ForwardAndReverse) {
    const FindCase& c = GetParam();
    rt::ValueRecord start = c.start ? rt::MakeInteger(*c.start) : Omitted();
    rt::ValueRecord ignoreCase = rt::MakeBool(c.ignoreCase);
    EXPECT_EQ(Call(services::FindText, {Text(c.text), Text(c.sought), start, ignoreCase}).integer(), c.forward);
    EXPECT_EQ(Call(services::FindTextReverse, {Text(c.text), Text(c.sought), start, ignoreCase}).integer(), c.reverse);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindTextCases,
    ::testing::Values(
        FindCase{"abc", "b", std::nullopt, false, 2, 2},
        FindCase{"abc", "x", std::nullopt, false, -1, -1},
        FindCase{"abc", "", std::nullopt, false, 1, 1},
        FindCase{"", "", std::nullopt, false, -1, -1},
        FindCase{"", "a", std::nullopt, false, -1, -1},
        FindCase{"abcabc", "bc", std::nullopt, false, 2, 5},
        // Start positions: forward from the byte, reverse wholly before it.
        FindCase{"abcabc", "bc", 3, false, 5, -1},
        FindCase{"abcabc", "bc", 6, false, -1, 2},
        FindCase{"abcabc", "bc", 7, false, -1, 5},
        FindCase{"abcabc", "bc", 0, false, 2, -1},
        FindCase{"abcabc", "bc", -5, false, 2, -1},
        FindCase{"abc", "abcd", std::nullopt, false, -1, -1},
        FindCase{"ABC", "b", std::nullopt, false, -1, -1},
        FindCase{"ABC", "b", std::nullopt, true, 2, 2},
        // The trail byte of a double-byte character never matches.
        FindCase{"\x81\x62", "b", std::nullopt, false, -1, -1},
        FindCase{"\x81\x62" "b", "b", std::nullopt, false, 3, 3},
        FindCase{"x\x81\x5c" "y\\", "\\", std::nullopt, false, 5, 5},
        FindCase{"\x81\x42", "b", std::nullopt, true, -1, -1},
        FindCase{"\xd6\xd0\xce\xc4", "\xce\xc4", std::nullopt, false, 3, 3},
        // Case folding never touches a trail byte: 0x81 0x41 is not 0x81 0x61.
        FindCase{"\x81\x41", "\x81\x61", std::nullopt, true, -1, -1},
        FindCase{"a\x81\x61", "A\x81\x61", std::nullopt, true, 1, 1}));

TEST(FindTextReverse, FindsTheLastBackslashOfAPath) {
    EXPECT_EQ(Call(services::FindTextReverse, {Text("C:\\game\\bin\\main.exe"), Text("\\")}).integer(), 12);
    // The backslash inside "乗" is a trail byte, not a separator.
    EXPECT_EQ(Call(services::FindTextReverse, {Text("C:\\\x81\x5c.exe"), Text("\\")}).integer(), 3);
}

TEST(FindText, IgnoreCaseOnlyWhenTheFlagIsExactlyOne) {
    rt::ValueRecord two = rt::MakeInteger(2);
    two.type = rt::kTypeBool;
    EXPECT_EQ(Call(services::FindText, {Text("ABC"), Text("b"), Omitted(), two}).integer(), -1);
    EXPECT_EQ(Call(services::FindText, {Text("ABC"), Text("b")}).integer(), -1);
}

TEST(FindText, MissingArgumentsFindNothing) {
    EXPECT_EQ(Call(services::FindText, {}).integer(), -1);
    EXPECT_EQ(Call(services::FindText, {rt::MakeInteger(5), Text("5")}).integer(), -1);
}

TEST(SplitText, EmptyMiddlePartsStayButNoEmptyLastPart) {
    auto parts = Call(services::SplitText, {Text("a,,b,")});
    EXPECT_EQ(parts.type(), rt::kArrayFlag | rt::kTypeText);
    EXPECT_EQ(parts.texts(), (std::vector<std::string>{"a", "", "b"}));
}

TEST(SplitText, MaximumCountDropsTheRest) {
    EXPECT_EQ(Call(services::SplitText, {Text("a,b,c"), Omitted(), rt::MakeInteger(2)}).texts(),
              (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Call(services::SplitText, {Text("a,b,c"), Omitted(), rt::MakeInteger(5)}).texts(),
              (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(Call(services::SplitText, {Text("a,b,c"), Omitted(), rt::MakeInteger(0)}).texts().empty());
    EXPECT_TRUE(Call(services::SplitText, {Text("a,b,c"), Omitted(), rt::MakeInteger(-3)}).texts().empty());
}

TEST(SplitText, SeparatorsAndDoubleByteText) {
    EXPECT_EQ(Call(services::SplitText, {Text("k1\r\nv1\r\n"), Text("\r\n")}).texts(),
              (std::vector<std::string>{"k1", "v1"}));
    EXPECT_EQ(Call(services::SplitText, {Text("a,b"), Text("")}).texts(), (std::vector<std::string>{"a,b"}));
    // "乥" ends in b: splitting at "b" must not cut through it.
    EXPECT_EQ(Call(services::SplitText, {Text("\x81\x62" "b" "\x81\x62"), Text("b")}).texts(),
              (std::vector<std::string>{"\x81\x62", "\x81\x62"}));
    EXPECT_EQ(Call(services::SplitText, {Text("抽奖结果,3")}).texts(), (std::vector<std::string>{"抽奖结果", "3"}));
}

TEST(SplitText, EmptyTextGivesAnEmptyArray) {
    auto parts = Call(services::SplitText, {Text("")});
    EXPECT_EQ(parts.type(), rt::kArrayFlag | rt::kTypeText);
    EXPECT_FALSE(parts.isNull());
    EXPECT_TRUE(parts.texts().empty());
}

TEST(CompareText, IgnoresCaseUnlessTheFlagIsTrue) {
    EXPECT_EQ(Call(services::CompareText, {Text("Main.EXE"), Text("main.exe")}).integer(), 0);
    EXPECT_NE(Call(services::CompareText, {Text("Main.EXE"), Text("main.exe"), rt::MakeBool(true)}).integer(), 0);
    EXPECT_EQ(Call(services::CompareText, {Text("Main.EXE"), Text("main.exe"), rt::MakeBool(false)}).integer(), 0);
    EXPECT_LT(Call(services::CompareText, {Text("abc"), Text("abd")}).integer(), 0);
    EXPECT_GT(Call(services::CompareText, {Text("abcd"), Text("abc")}).integer(), 0);
    EXPECT_LT(Call(services::CompareText, {Text(""), Text("a")}).integer(), 0);
    // A double-byte character sorts after every ASCII character, and its trail is never folded.
    EXPECT_GT(Call(services::CompareText, {Text("\xd6\xd0"), Text("z")}).integer(), 0);
    EXPECT_NE(Call(services::CompareText, {Text("\x81\x41"), Text("\x81\x61")}).integer(), 0);
}

TEST(TextLeft, CountsBytes) {
    EXPECT_EQ(Call(services::TextLeft, {Text("abcdef"), rt::MakeInteger(3)}).text(), "abc");
    EXPECT_EQ(Call(services::TextLeft, {Text("abc"), rt::MakeInteger(10)}).text(), "abc");
    EXPECT_TRUE(Call(services::TextLeft, {Text("abc"), rt::MakeInteger(0)}).isNull());
    EXPECT_TRUE(Call(services::TextLeft, {Text("abc"), rt::MakeInteger(-1)}).isNull());
    EXPECT_EQ(Call(services::TextLeft, {Text("中文"), rt::MakeInteger(2)}).text(), "中");
}

TEST(TextLength, DoubleByteCharactersCountTwo) {
    EXPECT_EQ(Call(services::TextLength, {Text("中文ab")}).integer(), 6);
    EXPECT_EQ(Call(services::TextLength, {Text("")}).integer(), 0);
    EXPECT_EQ(Call(services::TextLength, {rt::MakeText(nullptr)}).integer(), 0);
}

}  // namespace
