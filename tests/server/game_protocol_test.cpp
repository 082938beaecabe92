// The game protocol over real loopback connections: accounts, roles, the dungeon and
// enchant acknowledgements and the daily lucky draw, with exact GBK reply bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "server/account_store.h"
#include "server/replies.h"
#include "support/loopback_client.h"
#include "support/test_database.h"
#include "support/test_server.h"

namespace {

using server::testing::BackendTest;
using server::testing::LoopbackClient;
using server::testing::TestServer;
namespace replies = server::replies;

const std::string kRegister = "注册账号";
const std::string kLogin = "登陆商城";
const std::string kLeave = "离开副本";
const std::string kEnchant = "附魔装备";
const std::string kDraw = "幸运抽奖";

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t found; (found = text.find(separator, start)) != std::string::npos; start = found + separator.size()) {
        parts.push_back(text.substr(start, found - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Registers and logs in; returns the role names of the login reply.
std::vector<std::string> RegisterAndLogIn(LoopbackClient& client, const std::string& account,
                                          const std::string& password = "secret1") {
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kRegister, account, password)), "注册成功");
    std::vector<std::string> lines = Split(client.Exchange(LoopbackClient::Request(kLogin, account, password)), "\r\n");
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "登陆成功");
    return lines.size() == 2 ? Split(lines[1], "/") : std::vector<std::string>{};
}

using Login = BackendTest;
using LuckyDraw = BackendTest;
using Persistence = BackendTest;
using Registration = BackendTest;
using RoleActions = BackendTest;

std::string Refusal(std::string_view what, std::string_view why) { return replies::Refusal(what, why); }

TEST_P(Registration, SecondRegistrationOfANameIsRefused) {
    TestServer server(Config());
    LoopbackClient first(server.gamePort()), second(server.gamePort());
    EXPECT_EQ(first.Exchange(LoopbackClient::Request(kRegister, "player1", "secret1")), "注册成功");
    EXPECT_EQ(first.Exchange(LoopbackClient::Request(kRegister, "player1", "other99")), "账号存在");
    EXPECT_EQ(second.Exchange(LoopbackClient::Request(kRegister, "player1", "secret1")), "账号存在");
    // Names are compared byte for byte.
    EXPECT_EQ(second.Exchange(LoopbackClient::Request(kRegister, "Player1", "secret1")), "注册成功");
}

TEST_P(Registration, RefusesNamesAndPasswordsOutsideTheLimits) {
    TestServer server(Config());
    LoopbackClient client(server.gamePort());
    const std::string refused = Refusal(replies::kRegisterFailed, replies::kBadAccountOrPassword);
    struct Case {
        std::string account, password, reply;
    } cases[] = {
        {"abcde", "secret1", refused},                   // 5 bytes
        {"三个字", "secret1", "注册成功"},               // 6 bytes
        {std::string(32, 'a'), "secret1", "注册成功"},
        {std::string(33, 'b'), "secret1", refused},
        {"player2", "12345", refused},
        {"player3", std::string(64, 'p'), "注册成功"},
        {"player4", std::string(65, 'p'), refused},
        {"bad\x01name", "secret1", refused},
        {"\xFF\xFF\xFF\xFF\xFF\xFF", "secret1", refused},  // not GBK
    };
    for (const Case& c : cases) {
        EXPECT_EQ(client.Exchange(LoopbackClient::Request(kRegister, c.account, c.password)), c.reply)
            << c.account << " / " << c.password;
    }
    // A refused registration leaves no account behind.
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "abcde", "secret1")), "登陆错误");
}

TEST_P(Registration, RefusesNamesThatCouldNotBeToldApart) {
    TestServer server(Config());
    LoopbackClient client(server.gamePort());
    const std::string refused = Refusal(replies::kRegisterFailed, replies::kBadAccountOrPassword);
    struct Case {
        const char* why;
        std::string account;
        bool accepted;
    } cases[] = {
        {"Chinese", "玩家一号", true},
        {"blank inside", "a b c d", true},
        {"ideographic blank inside", "玩家　一号", true},
        {"euro sign of the code page", "\x80" "abcde", true},
        {"DEL", "player\x7F" "1", false},
        {"tab", "player\t1", false},
        {"six blanks", "      ", false},
        {"three ideographic blanks", "　　　", false},
        {"leading blank", " player1", false},
        {"trailing blank", "player1 ", false},
        {"leading ideographic blank", "　玩家一号", false},
        {"trailing ideographic blank", "玩家一号　", false},
        {"UTF-8 bytes", "\xE7\x8E\xA9\xE5\xAE\xB6", false},
        {"cut last character", "player\xB0", false},
        {"unassigned code", "\xAA\xA1player", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(client.Exchange(LoopbackClient::Request(kRegister, c.account, "secret1")),
                  c.accepted ? "注册成功" : refused)
            << c.why;
    }
}

TEST_P(Login, RepliesWithTheAccountsRolesOnLineTwo) {
    TestServer server(Config());
    LoopbackClient client(server.gamePort());
    std::vector<std::string> roles = RegisterAndLogIn(client, "玩家一号");
    ASSERT_EQ(roles.size(), 3u);
    std::string number = roles[0].substr(4);
    EXPECT_EQ(roles[0], "剑客" + number);
    EXPECT_EQ(roles[1], "法师" + number);
    EXPECT_EQ(roles[2], "弓手" + number);

    LoopbackClient other(server.gamePort());
    std::vector<std::string> otherRoles = RegisterAndLogIn(other, "玩家二号");
    ASSERT_EQ(otherRoles.size(), 3u);
    EXPECT_NE(otherRoles[0], roles[0]);
    // The same roles come back on every login.
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "玩家一号", "secret1")),
              "登陆成功\r\n" + roles[0] + "/" + roles[1] + "/" + roles[2]);
}

TEST_P(Login, WrongPasswordAndUnknownAccountGetTheSameError) {
    TestServer server(Config());
    LoopbackClient client(server.gamePort());
    RegisterAndLogIn(client, "player1");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "player1", "secret2")), "登陆错误");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "player1", "")), "登陆错误");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "nobody1", "secret1")), "登陆错误");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "\xFF\xFF", "secret1")), "登陆错误");
}

TEST_P(RoleActions, AcknowledgeOnlyRolesOfTheAccountLoggedInOnThisConnection) {
    TestServer server(Config());
    LoopbackClient owner(server.gamePort()), stranger(server.gamePort());
    std::vector<std::string> roles = RegisterAndLogIn(owner, "player1");
    std::vector<std::string> strangerRoles = RegisterAndLogIn(stranger, "player2");
    ASSERT_EQ(roles.size(), 3u);
    ASSERT_EQ(strangerRoles.size(), 3u);

    EXPECT_EQ(owner.Exchange(LoopbackClient::Request(kLeave, roles[1])), "离开副本成功");
    EXPECT_EQ(owner.Exchange(LoopbackClient::Request(kEnchant, roles[2])), "附魔成功");
    EXPECT_EQ(owner.Exchange(LoopbackClient::Request(kLeave, strangerRoles[0])),
              Refusal(replies::kLeaveFailed, replies::kUnknownRole));
    EXPECT_EQ(owner.Exchange(LoopbackClient::Request(kEnchant, strangerRoles[0])),
              Refusal(replies::kEnchantFailed, replies::kUnknownRole));
    // No role selected in the launcher sends an empty name.
    EXPECT_EQ(owner.Exchange(LoopbackClient::Request(kLeave, "")),
              Refusal(replies::kLeaveFailed, replies::kUnknownRole));

    LoopbackClient anonymous(server.gamePort());
    EXPECT_EQ(anonymous.Exchange(LoopbackClient::Request(kLeave, roles[1])),
              Refusal(replies::kLeaveFailed, replies::kNotLoggedIn));
    EXPECT_EQ(anonymous.Exchange(LoopbackClient::Request(kEnchant, roles[1])),
              Refusal(replies::kEnchantFailed, replies::kNotLoggedIn));
}

TEST_P(RoleActions, AFailedLoginEndsTheEarlierOne) {
    TestServer server(Config());
    LoopbackClient client(server.gamePort());
    std::vector<std::string> roles = RegisterAndLogIn(client, "player1");
    ASSERT_FALSE(roles.empty());
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "player1", "wrong99")), "登陆错误");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLeave, roles[0])),
              Refusal(replies::kLeaveFailed, replies::kNotLoggedIn));
}

TEST_P(LuckyDraw, CountsDownToTheDailyLimitThenRefuses) {
    TestServer server(Config());
    LoopbackClient client(server.gamePort());
    RegisterAndLogIn(client, "player1");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "1")), "抽奖结果\r\n10\r\n2");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "16")), "抽奖结果\r\n500\r\n1");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "8")), "抽奖结果\r\n20\r\n0");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "8")), "抽奖次数用完");

    // Another account has its own draws; the next day brings new ones.
    LoopbackClient other(server.gamePort());
    RegisterAndLogIn(other, "player2");
    EXPECT_EQ(other.Exchange(LoopbackClient::Request(kDraw, "player2", "3")), "抽奖结果\r\n5\r\n2");
    server.AdvanceClock(std::chrono::hours(24));
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "10")), "抽奖结果\r\n200\r\n2");
}

TEST_P(LuckyDraw, RefusesOtherAccountsAndBadSlotsWithoutCountingThem) {
    TestServer server(Config());
    LoopbackClient client(server.gamePort());
    RegisterAndLogIn(client, "player1");
    RegisterAndLogIn(client, "player2");  // logged in as player2 now
    const std::string notLoggedIn = Refusal(replies::kDrawFailed, replies::kNotLoggedIn);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "5")), notLoggedIn);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "", "5")), notLoggedIn);
    for (const char* slot : {"0", "17", "07", "+7", " 7", "7 ", "", "x", "100"}) {
        EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player2", slot)),
                  Refusal(replies::kDrawFailed, replies::kBadSlot))
            << "slot \"" << slot << "\"";
    }
    LoopbackClient anonymous(server.gamePort());
    EXPECT_EQ(anonymous.Exchange(LoopbackClient::Request(kDraw, "player2", "5")), notLoggedIn);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player2", "5")), "抽奖结果\r\n10\r\n2");
}

TEST_P(LuckyDraw, LimitIsConfigurable) {
    server::ServerConfig config = Config();
    config.drawLimit = 1;
    TestServer server(config);
    LoopbackClient client(server.gamePort());
    RegisterAndLogIn(client, "player1");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "2")), "抽奖结果\r\n20\r\n0");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "2")), "抽奖次数用完");
}

TEST_P(Persistence, AccountsRolesAndDrawsSurviveARestart) {
    TestServer server(Config());
    std::vector<std::string> roles;
    {
        LoopbackClient client(server.gamePort());
        roles = RegisterAndLogIn(client, "player1", "secret1");
        EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "4")), "抽奖结果\r\n50\r\n2");
    }
    server.Restart();
    LoopbackClient client(server.gamePort());
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kRegister, "player1", "secret1")), "账号存在");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "player1", "wrong99")), "登陆错误");
    ASSERT_EQ(roles.size(), 3u);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "player1", "secret1")),
              "登陆成功\r\n" + roles[0] + "/" + roles[1] + "/" + roles[2]);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "player1", "4")), "抽奖结果\r\n50\r\n1");
}

std::string ReadFolder(const std::string& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        all.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return all;
}

TEST_P(Persistence, PasswordsAreStoredOnlyAsSaltedHashes) {
    TestServer server(Config());
    const std::string password = "口令Zq9x7!";
    {
        LoopbackClient client(server.gamePort());
        RegisterAndLogIn(client, "player1", password);
        RegisterAndLogIn(client, "player2", password);
    }
    auto store = server::OpenAccountStore(database_.location());
    ASSERT_TRUE(store) << store.error().message;
    server::StoreRows rows;
    ASSERT_TRUE((*store)->ReadRows(server::StoreTable::Accounts, 0, 10, rows));
    ASSERT_EQ(rows.accounts.size(), 2u);
    for (const server::AccountRow& account : rows.accounts) {
        EXPECT_EQ(account.password.rfind("pbkdf2-sha256$1000$", 0), 0u) << account.password;
        EXPECT_EQ(account.password.find("Zq9x7"), std::string::npos);
    }
    EXPECT_NE(rows.accounts[0].password, rows.accounts[1].password);  // same password, different salts
    if (GetParam() == server::testing::Backend::Sqlite) {
        // Nothing of the password in the file, its journal or anywhere else beside it.
        std::string stored = ReadFolder(std::filesystem::path(database_.location()).parent_path().string());
        ASSERT_NE(stored.find("player1"), std::string::npos);  // the files were read
        EXPECT_EQ(stored.find(password), std::string::npos);
        EXPECT_EQ(stored.find("\xE5\x8F\xA3\xE4\xBB\xA4Zq9x7!"), std::string::npos);  // the same in UTF-8
        EXPECT_EQ(stored.find("Zq9x7"), std::string::npos);
    }
}

LUMADREL_ON_BOTH_BACKENDS(Login);
LUMADREL_ON_BOTH_BACKENDS(LuckyDraw);
LUMADREL_ON_BOTH_BACKENDS(Persistence);
LUMADREL_ON_BOTH_BACKENDS(Registration);
LUMADREL_ON_BOTH_BACKENDS(RoleActions);

}  // namespace
