// The game-server protocol: requests are the command word and its fields
// separated by CR LF; replies are recognised by keywords.
#include "launcher/server_link_win32.h"

#include <cstring>
#include <string>

#include "launcher/commands_win32.h"
#include "launcher/form_ids.h"
#include "launcher/handlers_win32.h"
#include "launcher/program_state.h"
#include "launcher/reply_classifier.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {
namespace {

void SetDrawsLeftCaption(const char* caption) {
    // The reply may come after the player closed the wheel; there is no label to update then.
    if (FormLoaded(lucky_draw_window::kForm))
        WriteTextProperty(lucky_draw_window::kForm, lucky_draw_window::kDrawsLeftLabel, property::kCaption, caption);
}

void LogIn(const char* reply) {
    // The account is what the player typed; without the login window there is
    // nothing to attribute the reply to.
    if (!FormLoaded(shop_login_window::kForm)) return;
    ProgramState& state = State();
    Owned account(ReadTextProperty(shop_login_window::kForm, shop_login_window::kAccountEdit, property::kContent));
    state.LoggedInAccount.reset(rt::CopyText(account.text()));
    std::string caption = std::string("已登录账号：") + account.text();
    WriteTextProperty(main_window::kForm, main_window::kAccountLabel, property::kCaption, caption.c_str());
    std::string message = std::string(account.text()) + "登陆成功";
    ShowMessage(message.c_str(), 0x40, "成功");
    void* roles = RoleNamesOf(reply);
    state.RoleNames.reset(roles);
    Destroy(shop_login_window::kForm);
    LoadWindow(player_window::kForm, true);
}

void ShowDrawResult(const char* reply) {
    DrawResult result = ReadDrawResult(reply);
    if (!result.valid) return;  // any other shape, a short reply included, shows nothing
    std::string caption = "你今天剩余抽奖次数是" + result.drawsLeft + "次";
    SetDrawsLeftCaption(caption.c_str());
    std::string message = "恭喜你获得" + result.prize + "钻石";
    ShowMessage(message.c_str(), 0);
    if (ToInteger(result.drawsLeft.c_str()) < 1) {
        ShowMessage("抱歉，今天抽奖次数已用完", 0);
        SetDrawsLeftCaption("今天抽奖次数已经用完");
    }
}

}  // namespace

bool SendServerRequest(const char* command, std::initializer_list<const char*> fields) {
    std::string request = command;
    for (const char* field : fields) {
        request += "\r\n";
        request += field ? field : "";
    }
    Owned text(rt::CopyText(request));
    return SendRequest(text.text());
}

namespace handlers {

int64_t ReplyDispatcher(const uint32_t*, int) {
    Owned bytes(GetReceivedData());
    Owned reply(ToText(bytes.bytes()));
    ReplyPlan plan = ClassifyReply(reply.text());
    if (plan.loginError) {
        ShowMessage("密码错误", 0x40, "错误");
        return 0;
    }
    if (plan.loginSuccess) LogIn(reply.text());
    switch (plan.action) {
    case ReplyAction::kLeftDungeon: ShowMessage("成功离开副本", 0x40); break;
    case ReplyAction::kRegistered: ShowMessage("注册成功", 0x40); break;
    case ReplyAction::kAccountExists: ShowMessage("账号已经被注册了", 0x40); break;
    case ReplyAction::kEnchanted: ShowMessage("附魔成功", 0x40); break;
    case ReplyAction::kDrawResult: ShowDrawResult(reply.text()); break;
    case ReplyAction::kDrawsUsedUp:
        ShowMessage("抱歉，今天抽奖次数已用完", 0);
        SetDrawsLeftCaption("今天抽奖次数已经用完");
        break;
    case ReplyAction::kNone: break;
    }
    return 0;
}

}  // namespace handlers
}  // namespace launcher
