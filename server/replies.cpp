#include "server/replies.h"

namespace server::replies {

std::string Refusal(std::string_view what, std::string_view why) {
    std::string reply(what);
    reply += "\r\n";
    reply += why;
    return reply;
}

std::string LoginOk(const std::vector<std::string>& roleNames) {
    std::string reply = "登陆成功\r\n";
    for (size_t i = 0; i < roleNames.size(); ++i) {
        if (i > 0) reply += '/';
        reply += roleNames[i];
    }
    return reply;
}

std::string DrawResult(int prize, int drawsLeft) {
    return "抽奖结果\r\n" + std::to_string(prize) + "\r\n" + std::to_string(drawsLeft);
}

}  // namespace server::replies
