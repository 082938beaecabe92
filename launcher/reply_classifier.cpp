#include "launcher/reply_classifier.h"

#include <cstring>

#include "launcher/text_commands.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {
namespace {

bool Contains(const char* text, const char* keyword) { return FindText(text, keyword) != -1; }

// Element i (1-based) of a text array, or null when it has no such element.
const char* LineOf(void* lines, uint32_t index) {
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(lines, &first);
    if (index < 1 || index > count) return nullptr;
    const char* line;
    std::memcpy(&line, first + (index - 1) * sizeof(char*), sizeof line);
    return line ? line : "";
}

struct Keyword {
    const char* text;
    ReplyAction action;
};

const Keyword kActions[] = {
    {"离开副本成功", ReplyAction::kLeftDungeon}, {"注册成功", ReplyAction::kRegistered},
    {"账号存在", ReplyAction::kAccountExists},   {"附魔成功", ReplyAction::kEnchanted},
    {"抽奖结果", ReplyAction::kDrawResult},       {"抽奖次数用完", ReplyAction::kDrawsUsedUp},
};

}  // namespace

ReplyPlan ClassifyReply(const char* reply) {
    ReplyPlan plan;
    if (Contains(reply, "登陆错误")) {
        plan.loginError = true;
        return plan;
    }
    plan.loginSuccess = Contains(reply, "登陆成功");
    for (const Keyword& keyword : kActions) {
        if (Contains(reply, keyword.text)) {
            plan.action = keyword.action;
            break;
        }
    }
    return plan;
}

DrawResult ReadDrawResult(const char* reply) {
    DrawResult result;
    void* lines = SplitText(reply, "\r\n");
    if (rt::ArrayElementCount(lines) == 3) {
        result.valid = true;
        result.prize = LineOf(lines, 2);
        result.drawsLeft = LineOf(lines, 3);
    }
    rt::FreePointerArray(lines);
    return result;
}

void* RoleNamesOf(const char* reply) {
    void* lines = SplitText(reply, "\r\n");
    const char* roleLine = LineOf(lines, 2);
    // A reply without a second line logs in with no roles rather than failing.
    void* roles = roleLine ? SplitText(roleLine, "/") : rt::CreateArray1(sizeof(char*), 0);
    rt::FreePointerArray(lines);
    return roles;
}

}  // namespace launcher
