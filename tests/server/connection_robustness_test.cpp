// Faulty or hostile connections lose only themselves; requests split across reads
// or joined in one read are still answered one by one.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "server/replies.h"
#include "support/loopback_client.h"
#include "support/test_server.h"

namespace {

using namespace std::chrono_literals;
using server::testing::LoopbackClient;
using server::testing::TestServer;
namespace replies = server::replies;

const std::string kLeave = "离开副本";
const std::string kNotLoggedIn = replies::Refusal(replies::kLeaveFailed, replies::kNotLoggedIn);

bool LogMentions(const TestServer& server, const std::string& text) {
    for (const std::string& line : server.LogLines()) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

struct BadInput {
    const char* name;
    std::string bytes;
    const char* logged;
};

void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }


class BadRequests : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadRequests, CloseOnlyTheirOwnConnection) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.requestTimeout = 300ms;
    TestServer server(config);
    LoopbackClient bystander(server.gamePort());
    ASSERT_EQ(bystander.Exchange(LoopbackClient::Request(kLeave, "R")), kNotLoggedIn);

    LoopbackClient offender(server.gamePort());
    ASSERT_TRUE(offender.Send(GetParam().bytes));
    EXPECT_TRUE(offender.ClosedByPeer());
    EXPECT_TRUE(LogMentions(server, GetParam().logged));

    EXPECT_EQ(bystander.Exchange(LoopbackClient::Request(kLeave, "R")), kNotLoggedIn);
    LoopbackClient newcomer(server.gamePort());
    EXPECT_EQ(newcomer.Exchange(LoopbackClient::Request(kLeave, "R")), kNotLoggedIn);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadRequests,
    ::testing::Values(BadInput{"Oversized", kLeave + "\r\n" + std::string(5000, 'x'), "longer than 4096"},
                      BadInput{"UnknownCommand", "hello\r\nworld", "malformed request"},
                      BadInput{"BinaryNoise", std::string("\x00\x01\x02\xff", 4), "malformed request"},
                      BadInput{"ExtraLines", kLeave + "\r\nR1\r\nR2\r\nR3", "malformed request"},
                      BadInput{"NeverFinished", "登陆商城\r\nplayer1", "not finished within 300 ms"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(SlowRequests, TricklingBytesDoesNotExtendTheTimeLimit) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.requestTimeout = 400ms;
    TestServer server(config);
    LoopbackClient client(server.gamePort());
    ASSERT_TRUE(client.Send("登陆商城\r\n"));
    auto start = std::chrono::steady_clock::now();
    bool closed = false;
    for (int i = 0; i < 30 && !closed; ++i) {
        client.Send("a");
        closed = client.ClosedByPeer(100ms);
    }
    EXPECT_TRUE(closed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST(SplitRequests, AreJoinedAcrossReads) {
    TestServer server;
    LoopbackClient client(server.gamePort());
    std::string request = LoopbackClient::Request("注册账号", "player1", "secret1");
    // Cut inside the command word's first character, then inside the account.
    ASSERT_TRUE(client.Send(request.substr(0, 1)));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(client.Send(request.substr(1, 15)));
    EXPECT_EQ(client.Receive(200ms), "");
    ASSERT_TRUE(client.Send(request.substr(16)));
    EXPECT_EQ(client.Receive(), "注册成功");
}

TEST(SplitRequests, ALongRequestSpanningSeveralReadsIsOneRequest) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.maxRequestBytes = 20000;
    TestServer server(config);
    LoopbackClient client(server.gamePort());
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLeave, std::string(15000, 'r'))), kNotLoggedIn);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLeave, "R")), kNotLoggedIn);
}

TEST(JoinedRequests, AreAnsweredInOrder) {
    TestServer server;
    LoopbackClient client(server.gamePort());
    ASSERT_EQ(client.Exchange(LoopbackClient::Request("注册账号", "player1", "secret1")), "注册成功");
    std::string joined = LoopbackClient::Request("登陆商城", "player1", "secret1") +
                         LoopbackClient::Request("幸运抽奖", "player1", "2") + LoopbackClient::Request(kLeave, "");
    ASSERT_TRUE(client.Send(joined));
    std::string replies = client.Receive(3000ms, 300ms);
    std::string loginLine = "登陆成功\r\n";
    ASSERT_EQ(replies.rfind(loginLine, 0), 0u) << replies;
    EXPECT_NE(replies.find("抽奖结果\r\n20\r\n2"), std::string::npos) << replies;
    EXPECT_TRUE(replies.ends_with(server::replies::Refusal(replies::kLeaveFailed, replies::kUnknownRole)))
        << replies;
}

TEST(JoinedRequests, AThousandInOneWriteAreAllAnsweredInOrder) {
    TestServer server;
    LoopbackClient client(server.gamePort());
    ASSERT_EQ(client.Exchange(LoopbackClient::Request("注册账号", "player1", "secret1")), "注册成功");
    std::string login = client.Exchange(LoopbackClient::Request("登陆商城", "player1", "secret1"));
    size_t rolesStart = login.find("\r\n");
    ASSERT_NE(rolesStart, std::string::npos) << login;
    std::string role = login.substr(rolesStart + 2, login.find('/') - rolesStart - 2);

    // Every third names the player's own role, so the replies show their order.
    std::string requests, expected;
    for (int i = 0; i < 1000; ++i) {
        bool own = i % 3 == 0;
        requests += LoopbackClient::Request(kLeave, own ? role : "R" + std::to_string(i));
        expected += own ? std::string(replies::kLeftDungeon) : replies::Refusal(replies::kLeaveFailed, replies::kUnknownRole);
    }
    ASSERT_GT(requests.size(), 3 * 4096u);
    ASSERT_TRUE(client.Send(requests));
    EXPECT_EQ(client.ReceiveAtLeast(expected.size(), 20000ms), expected);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLeave, role)), replies::kLeftDungeon);
}

TEST(JoinedRequests, TheSizeLimitAppliesToEachRequest) {
    TestServer server;
    LoopbackClient client(server.gamePort());
    std::string atLimit = LoopbackClient::Request(kLeave, std::string(4096 - 10, 'r'));
    ASSERT_EQ(atLimit.size(), 4096u);
    ASSERT_TRUE(client.Send(atLimit + LoopbackClient::Request(kLeave, "R") + atLimit));
    EXPECT_EQ(client.ReceiveAtLeast(3 * kNotLoggedIn.size()), kNotLoggedIn + kNotLoggedIn + kNotLoggedIn);
    ASSERT_TRUE(client.Send(atLimit + "r"));
    EXPECT_TRUE(client.ClosedByPeer());
}

TEST(LineBreaks, AfterARequestAreTolerated) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string replies;
    } cases[] = {
        {"crlf", "注册账号\r\nbob12345\r\npw123456\r\n", "注册成功"},
        {"lf", "注册账号\r\nbob12346\r\npw123456\n", "注册成功"},
        {"between joined requests", kLeave + "\r\nR\r\n" + kLeave + "\r\nR\r\n", kNotLoggedIn + kNotLoggedIn},
        {"blank lines", "\r\n" + kLeave + "\r\nR\r\n\r\n", kNotLoggedIn},
    };
    TestServer server;
    for (const Case& c : cases) {
        LoopbackClient client(server.gamePort());
        ASSERT_TRUE(client.Send(c.bytes)) << c.name;
        EXPECT_EQ(client.ReceiveAtLeast(c.replies.size(), 3000ms), c.replies) << c.name;
        // The connection stays usable.
        EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLeave, "R")), kNotLoggedIn) << c.name;
    }
}

TEST(ManyClients, AreServedTogether) {
    TestServer server;
    std::vector<std::unique_ptr<LoopbackClient>> clients;
    for (int i = 0; i < 300; ++i) {
        clients.push_back(std::make_unique<LoopbackClient>(server.gamePort()));
        ASSERT_TRUE(clients.back()->connected());
    }
    for (auto& client : clients) ASSERT_TRUE(client->Send(LoopbackClient::Request(kLeave, "R")));
    int answered = 0;
    // Each reply is one write and arrives whole, so one read per client suffices.
    for (auto& client : clients) answered += client->Receive(3000ms, 0ms) == kNotLoggedIn;
    EXPECT_EQ(answered, 300);
}

TEST(Disconnects, DuringPasswordHashingLeaveTheServerWorking) {
    TestServer server;
    {
        LoopbackClient leaving(server.gamePort());
        ASSERT_TRUE(leaving.Send(LoopbackClient::Request("注册账号", "player1", "secret1")));
    }
    // The registration completes although its reply has nobody to go to.
    bool registered = false;
    for (int i = 0; i < 150 && !registered; ++i) {
        registered = LogMentions(server, "register account=\"player1\"");
        if (!registered) std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(registered);
    LoopbackClient client(server.gamePort());
    EXPECT_EQ(client.Exchange(LoopbackClient::Request("注册账号", "player1", "secret1")), "账号存在");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kLeave, "R")), kNotLoggedIn);
}

}  // namespace
