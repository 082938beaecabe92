// Finding where requests begin and end in the unframed byte stream.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "server/request_parser.h"

namespace {

using server::Command;
using server::ParseRequest;
using server::ParseStatus;

struct CompleteCase {
    const char* name;
    std::string bytes;
    Command command;
    std::vector<std::string> fields;
    size_t consumed;
};

void PrintTo(const CompleteCase& c, std::ostream* out) { *out << c.name; }


class CompleteRequests : public ::testing::TestWithParam<CompleteCase> {};

TEST_P(CompleteRequests, YieldCommandFieldsAndLength) {
    const CompleteCase& c = GetParam();
    server::ParseResult result = ParseRequest(c.bytes);
    ASSERT_EQ(result.status, ParseStatus::Complete) << result.problem;
    EXPECT_EQ(result.request.command, c.command);
    EXPECT_EQ(result.request.fields, c.fields);
    EXPECT_EQ(result.consumed, c.consumed);
}

const std::string kLeave = "离开副本";
const std::string kDraw = "幸运抽奖";

INSTANTIATE_TEST_SUITE_P(
    Shapes, CompleteRequests,
    ::testing::Values(
        CompleteCase{"Register", "注册账号\r\nplayer1\r\nsecret1", Command::RegisterAccount,
                     {"player1", "secret1"}, 26},
        CompleteCase{"Login", "登陆商城\r\n玩家一号\r\npass word", Command::ShopLogin, {"玩家一号", "pass word"},
                     29},
        CompleteCase{"Leave", kLeave + "\r\n剑客1", Command::LeaveDungeon, {"剑客1"}, 15},
        CompleteCase{"Enchant", "附魔装备\r\n法师2", Command::EnchantEquipment, {"法师2"}, 15},
        CompleteCase{"Draw", kDraw + "\r\nplayer1\r\n16", Command::LuckyDraw, {"player1", "16"}, 21},
        // Fields are passed on as sent; emptiness and "/" are the handlers' business.
        CompleteCase{"EmptyFields", kDraw + "\r\n\r\n", Command::LuckyDraw, {"", ""}, 12},
        CompleteCase{"SlashInField", kLeave + "\r\na/b", Command::LeaveDungeon, {"a/b"}, 13},
        // Two requests sent back to back and read together: the first ends where the second's word begins.
        CompleteCase{"JoinedRequests", kLeave + "\r\nR1" + kLeave + "\r\nR2", Command::LeaveDungeon, {"R1"}, 12},
        CompleteCase{"JoinedAfterEmptyField", kLeave + "\r\n" + kDraw + "\r\nacc\r\n3", Command::LeaveDungeon,
                     {""}, 10},
        CompleteCase{"JoinedTwoFieldRequests", kDraw + "\r\nacc\r\n7" + kDraw + "\r\nacc\r\n8", Command::LuckyDraw,
                     {"acc", "7"}, 16},
        // Clients other than the launcher end a request with a line break; it goes with the request.
        CompleteCase{"TrailingCrLf", kLeave + "\r\nR1\r\n", Command::LeaveDungeon, {"R1"}, 14},
        CompleteCase{"TrailingLf", "注册账号\r\nbob12345\r\npw123456\n", Command::RegisterAccount,
                     {"bob12345", "pw123456"}, 29},
        CompleteCase{"CrLfBeforeTheNextRequest", kLeave + "\r\nR1\r\n" + kLeave + "\r\nR2", Command::LeaveDungeon,
                     {"R1"}, 14},
        CompleteCase{"LfBeforeAPartOfTheNextRequest", kLeave + "\r\nR1\n" + kLeave.substr(0, 3), Command::LeaveDungeon,
                     {"R1"}, 13},
        CompleteCase{"BlankLinesBeforeTheNextRequest", kLeave + "\r\nR1\r\n\r\n\n" + kLeave, Command::LeaveDungeon,
                     {"R1"}, 14},
        CompleteCase{"LeadingLineBreaks", "\r\n\n" + kLeave + "\r\nR1", Command::LeaveDungeon, {"R1"}, 15},
        // A bare LF that neither ends the data nor comes before a request stays in the field.
        CompleteCase{"LfInsideTheLastField", kLeave + "\r\na\nb", Command::LeaveDungeon, {"a\nb"}, 13}),
    [](const ::testing::TestParamInfo<CompleteCase>& info) { return info.param.name; });

TEST(RequestBoundaries, JoinedRequestsAreReadInTurn) {
    std::string stream = kLeave + "\r\nR1" + "附魔装备\r\nR2" + kDraw + "\r\nacc\r\n5";
    std::vector<std::string> seen;
    while (!stream.empty()) {
        server::ParseResult result = ParseRequest(stream);
        ASSERT_EQ(result.status, ParseStatus::Complete);
        seen.push_back(result.request.fields.back());
        stream.erase(0, result.consumed);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"R1", "R2", "5"}));
}

struct IncompleteCase {
    const char* name;
    std::string bytes;
    ParseStatus status;
};

void PrintTo(const IncompleteCase& c, std::ostream* out) { *out << c.name; }


class IncompleteOrMalformed : public ::testing::TestWithParam<IncompleteCase> {};

TEST_P(IncompleteOrMalformed, AreRecognised) {
    EXPECT_EQ(ParseRequest(GetParam().bytes).status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, IncompleteOrMalformed,
    ::testing::Values(
        IncompleteCase{"Nothing", "", ParseStatus::NeedMore},
        IncompleteCase{"HalfACommandWord", std::string("注册账号", 3), ParseStatus::NeedMore},
        IncompleteCase{"WordWithoutLineBreak", "注册账号", ParseStatus::NeedMore},
        IncompleteCase{"WordAndCarriageReturn", "注册账号\r", ParseStatus::NeedMore},
        IncompleteCase{"SecondFieldMissing", "登陆商城\r\nplayer1", ParseStatus::NeedMore},
        IncompleteCase{"UnknownWord", "查询角色\r\nx", ParseStatus::Malformed},
        IncompleteCase{"AsciiGarbage", "GET / HTTP/1.1\r\n\r\n", ParseStatus::Malformed},
        IncompleteCase{"WordWithoutCrLf", "离开副本\nR1", ParseStatus::Malformed},
        IncompleteCase{"LeadingBlank", " 离开副本\r\nR1", ParseStatus::Malformed},
        IncompleteCase{"OnlyLineBreaks", "\r\n\n\r", ParseStatus::NeedMore},
        IncompleteCase{"LineBreakThenAnotherField", "离开副本\r\nR1\r\nR2\r\n", ParseStatus::Malformed},
        IncompleteCase{"LfThenGarbage", "离开副本\r\nR1\nx\r\ny", ParseStatus::Malformed},
        IncompleteCase{"ExtraField", "离开副本\r\nR1\r\nR2", ParseStatus::Malformed},
        IncompleteCase{"NulInField", std::string("离开副本\r\nR\0x", 13), ParseStatus::Malformed}),
    [](const ::testing::TestParamInfo<IncompleteCase>& info) { return info.param.name; });

TEST(RequestBoundaries, LineBreaksBeforeARequestCanBeDropped) {
    server::ParseResult result = ParseRequest("\r\n\n\r");
    EXPECT_EQ(result.status, ParseStatus::NeedMore);
    EXPECT_EQ(result.consumed, 3u);  // the last CR may begin another CR LF
}

TEST(RequestBoundaries, CommandWordMustStartOnACharacter) {
    // 0xB0 followed by the word's first byte is one character; the word's
    // remaining bytes only look like a word when read out of step.
    std::string word = kLeave;
    std::string field = std::string("\xB0") + word;  // ends with the word's bytes, but shifted
    std::string bytes = kLeave + "\r\n" + field + "\r\nR2";
    ASSERT_TRUE(bytes.find(kLeave, 10) != std::string::npos);
    EXPECT_EQ(ParseRequest(bytes).status, ParseStatus::Malformed);
}

}  // namespace
