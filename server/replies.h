// The reply texts (GBK). The client finds replies by keyword, so a refusal must
// never contain one of the success keywords.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace server::replies {

inline constexpr std::string_view kRegistered = "注册成功";
inline constexpr std::string_view kAccountExists = "账号存在";
inline constexpr std::string_view kLoginError = "登陆错误";
inline constexpr std::string_view kLeftDungeon = "离开副本成功";
inline constexpr std::string_view kEnchanted = "附魔成功";
inline constexpr std::string_view kDrawsUsedUp = "抽奖次数用完";

// Refusals: what failed, CR LF, why.
inline constexpr std::string_view kRegisterFailed = "注册失败";
inline constexpr std::string_view kLoginFailed = "登陆失败";
inline constexpr std::string_view kLeaveFailed = "离开副本失败";
inline constexpr std::string_view kEnchantFailed = "附魔失败";
inline constexpr std::string_view kDrawFailed = "抽奖失败";

inline constexpr std::string_view kBadAccountOrPassword = "账号须6至32字节，密码须6至64字节";
inline constexpr std::string_view kNotLoggedIn = "请先登陆";
inline constexpr std::string_view kUnknownRole = "角色不存在";
inline constexpr std::string_view kBadSlot = "抽奖号码无效";
inline constexpr std::string_view kServerBusy = "服务器忙，请稍后再试";

std::string Refusal(std::string_view what, std::string_view why);

// Line 1 "登陆成功", line 2 the role names joined by "/".
std::string LoginOk(const std::vector<std::string>& roleNames);

// Exactly three lines: "抽奖结果", the prize, the draws left today.
std::string DrawResult(int prize, int drawsLeft);

}  // namespace server::replies
