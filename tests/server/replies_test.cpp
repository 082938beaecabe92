// Reply texts: GBK on the wire, exact shapes, and refusals that no keyword search
// can mistake for a success.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "server/replies.h"

namespace {

namespace replies = server::replies;

const std::string_view kKeywords[] = {"登陆错误", "登陆成功", "离开副本成功", "注册成功",
                                      "账号存在", "附魔成功", "抽奖结果", "抽奖次数用完"};

TEST(Replies, AreGbkBytes) {
    EXPECT_EQ(std::string(replies::kRegistered), "\xD7\xA2\xB2\xE1\xB3\xC9\xB9\xA6");
    EXPECT_EQ(replies::LoginOk({"剑客1"}), "\xB5\xC7\xC2\xBD\xB3\xC9\xB9\xA6\r\n\xBD\xA3\xBF\xCD" "1");
}

TEST(Replies, RefusalsContainNoKeywordEvenOutOfStep) {
    const std::string_view whats[] = {replies::kRegisterFailed, replies::kLoginFailed, replies::kLeaveFailed,
                                      replies::kEnchantFailed, replies::kDrawFailed};
    const std::string_view whys[] = {replies::kBadAccountOrPassword, replies::kNotLoggedIn, replies::kUnknownRole,
                                     replies::kBadSlot, replies::kServerBusy};
    for (std::string_view what : whats) {
        for (std::string_view why : whys) {
            std::string refusal = replies::Refusal(what, why);
            for (std::string_view keyword : kKeywords) {
                // A plain byte search, stricter than a character-wise one.
                EXPECT_EQ(refusal.find(keyword), std::string::npos) << "refusal holds a keyword";
            }
        }
    }
}

}  // namespace
