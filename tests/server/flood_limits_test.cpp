// Hostile load: silent connections, connection floods from one address and login
// floods leave room for everybody else, and what is refused is logged in summary.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "server/password_hash.h"
#include "server/replies.h"
#include "support/loopback_client.h"
#include "support/server_process.h"
#include "support/test_server.h"

namespace {

using namespace std::chrono_literals;
using server::testing::LoopbackClient;
using server::testing::ServerProcess;
using server::testing::TestServer;
using Clock = std::chrono::steady_clock;
namespace replies = server::replies;

const std::string kRegister = "注册账号";
const std::string kLogin = "登陆商城";
const std::string kLeave = "离开副本";
const std::string kLoginBusy = replies::Refusal(replies::kLoginError, replies::kServerBusy);
const std::string kRegistrationBusy = replies::Refusal(replies::kRegisterFailed, replies::kServerBusy);

using Clients = std::vector<std::unique_ptr<LoopbackClient>>;

Clients Connect(int count, uint16_t port, const char* from = nullptr) {
    Clients clients;
    for (int i = 0; i < count; ++i) clients.push_back(std::make_unique<LoopbackClient>(port, from));
    return clients;
}

// When each client saw the server close it; clients still open keep Clock::time_point::max().
class CloseWatch {
public:
    explicit CloseWatch(const Clients& clients) : clients_(clients), closedAt_(clients.size(), Clock::time_point::max()) {}

    // Waits until `count` clients in all have been closed, or until `wait` has passed.
    size_t WaitForClosed(size_t count, std::chrono::milliseconds wait) {
        auto deadline = Clock::now() + wait;
        while (closed_ < count && Clock::now() < deadline) {
            std::vector<pollfd> open;
            std::vector<size_t> index;
            for (size_t i = 0; i < clients_.size(); ++i) {
                if (closedAt_[i] != Clock::time_point::max()) continue;
                open.push_back({clients_[i]->descriptor(), POLLIN, 0});
                index.push_back(i);
            }
            if (::poll(open.data(), open.size(), 50) <= 0) continue;
            for (size_t j = 0; j < open.size(); ++j) {
                char byte;
                if (open[j].revents && ::recv(open[j].fd, &byte, 1, MSG_DONTWAIT) <= 0) {
                    closedAt_[index[j]] = Clock::now();
                    ++closed_;
                }
            }
        }
        return closed_;
    }

    size_t ClosedBefore(Clock::time_point moment) const {
        size_t count = 0;
        for (auto at : closedAt_) count += at < moment;
        return count;
    }

private:
    const Clients& clients_;
    std::vector<Clock::time_point> closedAt_;
    size_t closed_ = 0;
};

// The refusals of one kind added up over the summary lines, and how many lines gave them.
struct Summed {
    size_t count = 0;
    size_t lines = 0;
};

Summed SumSummaries(const std::vector<std::string>& log, const std::string& kind) {
    Summed summed;
    std::regex pattern("in the last \\d+ ms: .*?(\\d+) " + kind);
    for (const std::string& line : log) {
        std::smatch match;
        if (std::regex_search(line, match, pattern)) {
            summed.count += std::stoul(match[1]);
            ++summed.lines;
        }
    }
    return summed;
}

template <typename Server>
Summed WaitForSummaries(const Server& server, const std::string& kind, size_t count) {
    auto deadline = Clock::now() + 10s;
    Summed summed;
    while ((summed = SumSummaries(server.LogLines(), kind)).count < count && Clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    return summed;
}

std::chrono::milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// Sends a request and waits for its reply as long as hashing at the default cost may take.
std::string Ask(LoopbackClient& client, const std::string& request) {
    return client.Send(request) ? client.Receive(20000ms) : std::string();
}

// How long a login may take while others flood: 1 s, or three bare hashes at the
// default cost where hashing itself is slower than that allows (sanitizers, a loaded
// machine). A login queued behind the flood would take many more.
std::chrono::milliseconds LoginAllowance() {
    std::array<uint8_t, 16> salt{};
    std::array<uint8_t, 32> hash{};
    auto start = Clock::now();
    server::DerivePbkdf2Sha256("secret1", salt, server::ServerConfig{}.passwordIterations, hash);
    return std::max<std::chrono::milliseconds>(1000ms, 3 * Since(start));
}

TEST(SilentConnections, UnderATightDescriptorLimitLeaveRoomForOtherAddresses) {
    constexpr int kSilent = 400;
    constexpr size_t kPerAddress = 32;
    constexpr auto kIdle = 5000ms;
    ServerProcess server({"--idle-timeout", std::to_string(kIdle.count()), "--max-per-address",
                          std::to_string(kPerAddress), "--summary-interval", "500", "--version", "1.0.7"},
                         256);
    ASSERT_TRUE(server.started());
    {
        LoopbackClient player(server.gamePort(), "127.0.0.2");
        ASSERT_EQ(Ask(player, LoopbackClient::Request(kRegister, "player1", "secret1")), "注册成功");
    }

    auto floodStart = Clock::now();
    Clients silent = Connect(kSilent, server.gamePort());
    for (auto& client : silent) ASSERT_TRUE(client->connected());
    CloseWatch watch(silent);
    ASSERT_EQ(watch.WaitForClosed(kSilent - kPerAddress, 10s), kSilent - kPerAddress);

    // With the flood's share held open, a player and the update check from elsewhere get through.
    auto allowance = LoginAllowance();
    auto start = Clock::now();
    LoopbackClient player(server.gamePort(), "127.0.0.2");
    std::string reply = Ask(player, LoopbackClient::Request(kLogin, "player1", "secret1"));
    EXPECT_LT(Since(start), allowance);
    EXPECT_EQ(reply.rfind("登陆成功\r\n", 0), 0u) << reply;
    start = Clock::now();
    LoopbackClient fetch(server.httpPort(), "127.0.0.2");
    ASSERT_TRUE(fetch.Send("GET /vorlenk2/update.xml HTTP/1.1\r\nHost: x\r\n\r\n"));
    std::string document = fetch.Receive();
    EXPECT_LT(Since(start), 1000ms);
    EXPECT_EQ(document.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << document;

    // The held ones go at the idle limit, counted from their accept.
    EXPECT_EQ(watch.WaitForClosed(kSilent, kIdle + 10s), static_cast<size_t>(kSilent));
    EXPECT_EQ(watch.ClosedBefore(floodStart + kIdle), kSilent - kPerAddress);

    Summed refused = WaitForSummaries(server, "connections over the per-address limit", kSilent - kPerAddress);
    EXPECT_EQ(refused.count, kSilent - kPerAddress);
    EXPECT_LE(refused.lines, 5u);
    std::vector<std::string> log = server.LogLines();
    EXPECT_LT(log.size(), 2 * kPerAddress + 30);
    size_t idleCloses = 0, lowered = 0;
    for (const std::string& line : log) {
        idleCloses += line.find("closed: no request within 5000 ms of connecting") != std::string::npos;
        lowered += line.find("connection limit lowered to 224") != std::string::npos;
    }
    EXPECT_EQ(idleCloses, kPerAddress);
    EXPECT_EQ(lowered, 1u);
}

TEST(ConnectionLimits, CloseTheExcessAtOnceAndFreeTheirPlaceOnClose) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.maxConnections = 4;
    config.maxConnectionsPerAddress = 2;
    config.summaryInterval = 200ms;
    TestServer server(config);
    const std::string leave = LoopbackClient::Request(kLeave, "R");
    const std::string notLoggedIn = replies::Refusal(replies::kLeaveFailed, replies::kNotLoggedIn);

    auto first = std::make_unique<LoopbackClient>(server.gamePort(), "127.0.0.1");
    LoopbackClient second(server.gamePort(), "127.0.0.1");
    ASSERT_EQ(first->Exchange(leave), notLoggedIn);
    ASSERT_EQ(second.Exchange(leave), notLoggedIn);
    LoopbackClient thirdFromOne(server.gamePort(), "127.0.0.1");
    EXPECT_TRUE(thirdFromOne.ClosedByPeer());

    LoopbackClient fromTwo(server.gamePort(), "127.0.0.2"), fromThree(server.gamePort(), "127.0.0.3");
    ASSERT_EQ(fromTwo.Exchange(leave), notLoggedIn);
    ASSERT_EQ(fromThree.Exchange(leave), notLoggedIn);
    LoopbackClient overTotal(server.gamePort(), "127.0.0.4");
    EXPECT_TRUE(overTotal.ClosedByPeer());
    LoopbackClient http(server.httpPort(), "127.0.0.5");  // both ports share the limit
    EXPECT_TRUE(http.ClosedByPeer());

    first.reset();
    auto deadline = Clock::now() + 5s;
    bool released = false;
    while (!released && Clock::now() < deadline) {
        for (const std::string& line : server.LogLines()) released |= line.find("closed: disconnected") != std::string::npos;
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(released);
    LoopbackClient again(server.gamePort(), "127.0.0.1");
    EXPECT_EQ(again.Exchange(leave), notLoggedIn);

    EXPECT_EQ(WaitForSummaries(server, "connections over the per-address limit", 1).count, 1u);
    EXPECT_EQ(WaitForSummaries(server, "connections over the total limit", 2).count, 2u);
}

TEST(IdleLimit, RunsFromAcceptUntilTheFirstCompleteRequest) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.idleTimeout = 300ms;
    TestServer server(config);
    const std::string leave = LoopbackClient::Request(kLeave, "R");

    LoopbackClient active(server.gamePort());
    ASSERT_FALSE(active.Exchange(leave).empty());
    LoopbackClient silent(server.gamePort());
    // A request begun counts for nothing until it is complete, however long the request limit.
    LoopbackClient unfinished(server.gamePort());
    ASSERT_TRUE(unfinished.Send("登陆商城\r\nplayer1"));
    auto start = Clock::now();
    EXPECT_TRUE(silent.ClosedByPeer());
    EXPECT_TRUE(unfinished.ClosedByPeer());
    EXPECT_GE(Since(start), 250ms);
    // Connected earlier than both, but it has completed a request.
    EXPECT_FALSE(active.Exchange(leave).empty());
    size_t idleCloses = 0;
    for (const std::string& line : server.LogLines()) {
        idleCloses += line.find("closed: no request within 300 ms of connecting") != std::string::npos;
    }
    EXPECT_EQ(idleCloses, 2u);
}

TEST(LoginFlood, FromOneAddressDoesNotHoldUpAnotherAddresssLogin) {
    server::ServerConfig config;  // the default limits and password cost
    config.maxConnectionsPerAddress = 64;  // every flood login reaches the hashing queue
    config.hashingThreads = 1;  // the flood's share of the hashing does not depend on the cores
    TestServer server(config);
    {
        LoopbackClient player(server.gamePort(), "127.0.0.2");
        ASSERT_EQ(Ask(player, LoopbackClient::Request(kRegister, "player1", "secret1")), "注册成功");
    }
    Clients flood = Connect(40, server.gamePort(), "127.0.0.1");
    for (size_t i = 0; i < flood.size(); ++i) {
        ASSERT_TRUE(flood[i]->Send(LoopbackClient::Request(kLogin, "nobody" + std::to_string(i), "secret1")));
    }
    // The first answers are refusals, given at once; the rest are still being hashed.
    std::vector<pollfd> waiting;
    for (auto& client : flood) waiting.push_back({client->descriptor(), POLLIN, 0});
    ASSERT_GT(::poll(waiting.data(), waiting.size(), 5000), 0);
    // Which flood logins have their answer now. The order of the answers shows
    // whether the player's login waited for the flood; timing it against a bare
    // hash does not hold on a loaded machine.
    auto answered = [&] {
        std::vector<bool> ready;
        for (auto& client : flood) {
            pollfd one{client->descriptor(), POLLIN, 0};
            ready.push_back(::poll(&one, 1, 0) > 0);
        }
        return ready;
    };
    std::vector<bool> answeredBeforeAsking = answered();

    LoopbackClient player(server.gamePort(), "127.0.0.2");
    std::string reply = Ask(player, LoopbackClient::Request(kLogin, "player1", "secret1"));
    EXPECT_EQ(reply.rfind("登陆成功\r\n", 0), 0u) << reply;
    std::vector<bool> answeredBeforePlayer = answered();

    size_t refusedAtOnce = 0, checked = 0, checkedWhileAsking = 0;
    for (size_t i = 0; i < flood.size(); ++i) {
        std::string answer = flood[i]->Receive(20000ms);
        refusedAtOnce += answer == kLoginBusy;
        if (answer == "登陆错误") {
            ++checked;
            checkedWhileAsking += answeredBeforePlayer[i] && !answeredBeforeAsking[i];
        }
    }
    EXPECT_EQ(refusedAtOnce + checked, flood.size());
    EXPECT_GT(refusedAtOnce, 0u);
    EXPECT_GE(checked, 3u);
    // The one hashing thread finishes the flood login it had begun, perhaps one
    // more whose turn it was, and then the player's; a queue that served the
    // flood first answers more of the flood's first.
    EXPECT_LE(checkedWhileAsking, 2u) << "of " << checked << " flood logins that were checked";
}

TEST(RateLimits, RefuseAnAddressOverItsRateAtOnceAndNobodyElse) {
    struct Case {
        const char* name;
        std::string command;
        std::string refusal;
        const char* summary;
    } cases[] = {
        {"login", kLogin, kLoginBusy, "logins over the per-address rate"},
        {"registration", kRegister, kRegistrationBusy, "registrations over the per-address rate"},
    };
    for (const Case& c : cases) {
        server::ServerConfig config = TestServer::DefaultConfig();
        config.loginsPerMinute = 3;
        config.registrationsPerMinute = 3;
        config.summaryInterval = 200ms;
        TestServer server(config);
        LoopbackClient busy(server.gamePort(), "127.0.0.1"), other(server.gamePort(), "127.0.0.2");
        for (int i = 0; i < 3; ++i) {
            std::string reply = busy.Exchange(LoopbackClient::Request(c.command, "player" + std::to_string(i), "secret1"));
            EXPECT_NE(reply, c.refusal) << c.name << " " << i;
        }
        EXPECT_EQ(busy.Exchange(LoopbackClient::Request(c.command, "player9", "secret1")), c.refusal) << c.name;
        EXPECT_NE(other.Exchange(LoopbackClient::Request(c.command, "player9", "secret1")), c.refusal) << c.name;
        EXPECT_EQ(WaitForSummaries(server, c.summary, 1).count, 1u) << c.name;
    }
}

}  // namespace
