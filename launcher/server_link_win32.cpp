// The game-server protocol: requests are the command word and its fields
// separated by CR LF; replies are recognised by keywords.
#include "launcher/server_link_win32.h"

#include <cstring>
#include <string>

#include "launcher/commands_win32.h"
#include "launcher/form_ids.h"
#include "launcher/handlers_win32.h"
#include "launcher/program_state.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {
namespace {

// Element i (1-based) of a text array, or null when it has no such element.
const char* LineOf(void* lines, uint32_t index) {
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(lines, &first);
    if (index < 1 || index > count) return nullptr;
    const char* line;
    std::memcpy(&line, first + (index - 1) * sizeof(char*), sizeof line);
    return line ? line : "";
}

uint32_t LineCount(void* lines) { return rt::ArrayElementCount(lines); }

bool Contains(const char* text, const char* keyword) { return FindText(text, keyword) != -1; }

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
    rt::AssignText(&state.LoggedInAccount, account.text());
    std::string caption = std::string("已登录账号：") + account.text();
    WriteTextProperty(main_window::kForm, main_window::kAccountLabel, property::kCaption, caption.c_str());
    std::string message = std::string(account.text()) + "登陆成功";
    ShowMessage(message.c_str(), 0x40, "成功");

    void* lines = SplitText(reply, "\r\n");
    // A reply without a second line logs in with no roles rather than failing.
    const char* roleLine = LineOf(lines, 2);
    void* roles = roleLine ? SplitText(roleLine, "/") : rt::CreateArray1(sizeof(char*), 0);
    rt::FreePointerArray(lines);
    rt::FreePointerArray(state.RoleNames);
    state.RoleNames = roles;

    Destroy(shop_login_window::kForm);
    LoadWindow(player_window::kForm, true);
}

void ShowDrawResult(const char* reply) {
    void* lines = SplitText(reply, "\r\n");
    // Only the three-line shape carries a prize and the draws left; anything
    // else (including a short reply) shows nothing.
    if (LineCount(lines) == 3) {
        const char* prize = LineOf(lines, 2);
        const char* left = LineOf(lines, 3);
        std::string caption = std::string("你今天剩余抽奖次数是") + left + "次";
        SetDrawsLeftCaption(caption.c_str());
        std::string message = std::string("恭喜你获得") + prize + "钻石";
        ShowMessage(message.c_str(), 0);
        if (ToInteger(left) < 1) {
            ShowMessage("抱歉，今天抽奖次数已用完", 0);
            SetDrawsLeftCaption("今天抽奖次数已经用完");
        }
    }
    rt::FreePointerArray(lines);
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
    const char* text = reply.text();
    if (Contains(text, "登陆错误")) {
        ShowMessage("密码错误", 0x40, "错误");
        return 0;
    }
    if (Contains(text, "登陆成功")) LogIn(text);
    if (Contains(text, "离开副本成功")) {
        ShowMessage("成功离开副本", 0x40);
    } else if (Contains(text, "注册成功")) {
        ShowMessage("注册成功", 0x40);
    } else if (Contains(text, "账号存在")) {
        ShowMessage("账号已经被注册了", 0x40);
    } else if (Contains(text, "附魔成功")) {
        ShowMessage("附魔成功", 0x40);
    } else if (Contains(text, "抽奖结果")) {
        ShowDrawResult(text);
    } else if (Contains(text, "抽奖次数用完")) {
        ShowMessage("抱歉，今天抽奖次数已用完", 0);
        SetDrawsLeftCaption("今天抽奖次数已经用完");
    }
    return 0;
}

}  // namespace handlers
}  // namespace launcher
