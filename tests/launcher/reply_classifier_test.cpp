// Which action a game-server reply selects: the keyword order, replies that
// carry several keywords, and the line shapes of login and draw replies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launcher/reply_classifier.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace {

using launcher::ReplyAction;

struct Case {
    const char* reply;
    bool loginError;
    bool loginSuccess;
    ReplyAction action;
};

TEST(ReplyClassifier, KeywordOrderDecides) {
    const Case cases[] = {
        {"登陆错误", true, false, ReplyAction::kNone},
        {"登陆错误\r\n登陆成功\r\n甲/乙", true, false, ReplyAction::kNone},  // the error wins
        {"登陆成功\r\n甲/乙", false, true, ReplyAction::kNone},
        {"离开副本成功注册成功", false, false, ReplyAction::kLeftDungeon},
        {"注册成功", false, false, ReplyAction::kRegistered},
        {"账号存在", false, false, ReplyAction::kAccountExists},
        {"附魔成功", false, false, ReplyAction::kEnchanted},
        {"抽奖结果\r\n100\r\n2", false, false, ReplyAction::kDrawResult},
        {"抽奖次数用完", false, false, ReplyAction::kDrawsUsedUp},
        {"登陆成功\r\n甲\r\n注册成功", false, true, ReplyAction::kRegistered},  // login, then the next test
        {"附魔成功抽奖结果", false, false, ReplyAction::kEnchanted},
        {"服务器维护中", false, false, ReplyAction::kNone},
        {"", false, false, ReplyAction::kNone},
    };
    for (const Case& c : cases) {
        launcher::ReplyPlan plan = launcher::ClassifyReply(c.reply);
        EXPECT_EQ(plan.loginError, c.loginError) << c.reply;
        EXPECT_EQ(plan.loginSuccess, c.loginSuccess) << c.reply;
        EXPECT_EQ(plan.action, c.action) << c.reply;
    }
}

TEST(ReplyClassifier, KeywordsAreMatchedOnWholeCharacters) {
    // "成功" split across a character boundary must not be found: the bytes of
    // 注册成功 embedded behind a lead byte belong to other characters.
    std::string shifted = std::string("\xB0") + "注册成功";  // a lone lead byte takes the first byte with it
    EXPECT_EQ(launcher::ClassifyReply(shifted.c_str()).action, ReplyAction::kNone);
}

TEST(DrawResult, OnlyTheThreeLineShapeCarriesAPrize) {
    launcher::DrawResult three = launcher::ReadDrawResult("抽奖结果\r\n500\r\n0");
    EXPECT_TRUE(three.valid);
    EXPECT_EQ(three.prize, "500");
    EXPECT_EQ(three.drawsLeft, "0");
    EXPECT_FALSE(launcher::ReadDrawResult("抽奖结果\r\n500\r\n0\r\n额外").valid);
    EXPECT_FALSE(launcher::ReadDrawResult("抽奖结果\r\n500").valid);
    EXPECT_FALSE(launcher::ReadDrawResult("抽奖结果").valid);  // short: shows nothing instead of failing
    EXPECT_TRUE(launcher::ReadDrawResult("抽奖结果\r\n500\r\n2\r\n").valid) << "a trailing line break adds no line";
}

std::vector<std::string> Texts(void* array) {
    std::vector<std::string> texts;
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(array, &first);
    for (uint32_t i = 0; i < count; ++i) {
        const char* text;
        std::memcpy(&text, first + i * sizeof(char*), sizeof text);
        texts.emplace_back(text ? text : "");
    }
    return texts;
}

TEST(RoleNames, LineTwoSplitAtSlashesKeepingEmptyPieces) {
    void* roles = launcher::RoleNamesOf("xx登陆成功\r\n战士/法师//弓手\r\n其他");
    EXPECT_EQ(Texts(roles), (std::vector<std::string>{"战士", "法师", "", "弓手"}));
    rt::FreePointerArray(roles);
    void* none = launcher::RoleNamesOf("登陆成功");
    EXPECT_TRUE(Texts(none).empty()) << "a login reply without a second line gives no roles";
    rt::FreePointerArray(none);
    void* one = launcher::RoleNamesOf("登陆成功\r\n战士");
    EXPECT_EQ(Texts(one), (std::vector<std::string>{"战士"}));
    rt::FreePointerArray(one);
}

}  // namespace
