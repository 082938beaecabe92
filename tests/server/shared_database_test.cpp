// Several server processes on one PostgreSQL database: account names stay unique, the
// daily draw limit and the prize credit hold exactly, a killed server loses nothing it
// acknowledged, and a database that goes away is answered "busy", never with success.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/account_store.h"
#include "server/replies.h"
#include "support/http_reply.h"
#include "support/loopback_client.h"
#include "support/server_process.h"
#include "support/tcp_forwarder.h"
#include "support/test_database.h"

namespace {

using namespace std::chrono_literals;
using server::testing::Backend;
using server::testing::LoopbackClient;
using server::testing::ServerProcess;
using server::testing::TestDatabase;
namespace replies = server::replies;

const std::string kRegister = "注册账号";
const std::string kLogin = "登陆商城";
const std::string kDraw = "幸运抽奖";
constexpr int kDrawLimit = 5;

using Clients = std::vector<std::unique_ptr<LoopbackClient>>;

class SharedDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        if (!database_.available()) GTEST_SKIP() << database_.unavailableReason();
    }

    // A server on the test's database with nothing in the way of a crowd from one address.
    std::vector<std::string> Flags(const std::string& location) const {
        return {"--db", location, "--hash-iterations", "1000", "--hash-threads", "2", "--draw-limit",
                std::to_string(kDrawLimit), "--max-per-address", "0", "--login-rate", "0", "--register-rate", "0",
                "--hash-queue", "1000", "--hash-queue-per-address", "1000", "--admin-port", "0"};
    }

    std::unique_ptr<server::AccountStore> OpenStore() {
        auto store = server::OpenAccountStore(database_.location());
        EXPECT_TRUE(store) << store.error().message;
        return store ? std::move(*store) : nullptr;
    }

    server::StoreRows Rows(server::StoreTable table) {
        server::StoreRows rows;
        auto store = OpenStore();
        if (!store) return rows;
        auto read = store->ReadRows(table, 0, 100000, rows);
        EXPECT_TRUE(read) << read.error().message;
        return rows;
    }

    TestDatabase database_{Backend::Postgres};
};

// Client i talks to the server (i % 2), all connected before any request goes out.
Clients ConnectAlternately(int count, uint16_t first, uint16_t second) {
    Clients clients;
    for (int i = 0; i < count; ++i) clients.push_back(std::make_unique<LoopbackClient>(i % 2 ? second : first));
    return clients;
}

// Every client's reply, read side by side: until each has one and all have been quiet
// a moment (a reply is one small write), or until `wait` has passed.
std::vector<std::string> ReceiveAll(Clients& clients, std::chrono::milliseconds wait = 20000ms) {
    std::vector<std::string> answers(clients.size());
    std::vector<bool> done(clients.size(), false);  // answered, or closed by the server
    auto deadline = std::chrono::steady_clock::now() + wait;
    size_t finished = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> watched;
        for (size_t i = 0; i < clients.size(); ++i) {
            watched.push_back({answers[i].empty() && done[i] ? -1 : clients[i]->descriptor(), POLLIN, 0});
        }
        if (::poll(watched.data(), watched.size(), finished == clients.size() ? 30 : 1000) <= 0) {
            if (finished == clients.size()) break;
            continue;
        }
        for (size_t i = 0; i < clients.size(); ++i) {
            if (!(watched[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            std::string got = clients[i]->Receive(0ms, 0ms);
            answers[i] += got;
            if (!done[i]) ++finished;
            done[i] = true;
        }
    }
    return answers;
}

// Sends each client its request at once, then collects every reply.
std::vector<std::string> SendAllThenReceive(Clients& clients, const std::vector<std::string>& requests) {
    for (size_t i = 0; i < clients.size(); ++i) EXPECT_TRUE(clients[i]->Send(requests[i]));
    return ReceiveAll(clients);
}

TEST_F(SharedDatabase, ConcurrentRegistrationsOfTheSameNamesMakeEachAccountOnce) {
    ServerProcess first(Flags(database_.location())), second(Flags(database_.location()));
    ASSERT_TRUE(first.started() && second.started());
    Clients clients = ConnectAlternately(200, first.gamePort(), second.gamePort());
    std::vector<std::string> requests;
    for (int i = 0; i < 200; ++i) {
        requests.push_back(LoopbackClient::Request(kRegister, "shared" + std::to_string(i % 10), "secret1"));
    }
    std::map<std::string, int> answers;
    for (const std::string& answer : SendAllThenReceive(clients, requests)) ++answers[answer];
    EXPECT_EQ(answers["注册成功"], 10);
    EXPECT_EQ(answers["账号存在"], 190);
    EXPECT_EQ(answers.size(), 2u);
    EXPECT_EQ(Rows(server::StoreTable::Accounts).accounts.size(), 10u);
    EXPECT_EQ(Rows(server::StoreTable::Roles).roles.size(), 30u);
}

TEST_F(SharedDatabase, ConcurrentDrawsOfOneAccountGrantExactlyTheDailyLimit) {
    ServerProcess first(Flags(database_.location())), second(Flags(database_.location()));
    ASSERT_TRUE(first.started() && second.started());
    {
        LoopbackClient client(first.gamePort());
        ASSERT_EQ(client.Exchange(LoopbackClient::Request(kRegister, "lucky01", "secret1")), "注册成功");
    }
    Clients clients = ConnectAlternately(100, first.gamePort(), second.gamePort());
    std::vector<std::string> logins(100, LoopbackClient::Request(kLogin, "lucky01", "secret1"));
    for (const std::string& answer : SendAllThenReceive(clients, logins)) ASSERT_EQ(answer.rfind("登陆成功", 0), 0u);

    std::vector<std::string> draws;
    for (int i = 0; i < 100; ++i) draws.push_back(LoopbackClient::Request(kDraw, "lucky01", std::to_string(i % 16 + 1)));
    int granted = 0, usedUp = 0;
    int64_t prizes = 0;
    std::vector<int> leftSeen;
    for (const std::string& answer : SendAllThenReceive(clients, draws)) {
        if (answer == "抽奖次数用完") {
            ++usedUp;
            continue;
        }
        int prize = -1, left = -1;
        ASSERT_EQ(std::sscanf(answer.c_str(), "抽奖结果\r\n%d\r\n%d", &prize, &left), 2) << answer;
        ++granted;
        prizes += prize;
        leftSeen.push_back(left);
    }
    EXPECT_EQ(granted, kDrawLimit);
    EXPECT_EQ(usedUp, 100 - kDrawLimit);
    std::sort(leftSeen.begin(), leftSeen.end());
    EXPECT_EQ(leftSeen, (std::vector<int>{0, 1, 2, 3, 4}));  // each count of what is left, once
    EXPECT_EQ(Rows(server::StoreTable::Draws).draws.size(), static_cast<size_t>(kDrawLimit));
    server::StoreRows accounts = Rows(server::StoreTable::Accounts);
    ASSERT_EQ(accounts.accounts.size(), 1u);
    EXPECT_EQ(accounts.accounts[0].diamonds, prizes);
}

// Registrations and draws flow through both servers while one of them is killed: every
// one that got its success answer is in the database, and the other server goes on.
TEST_F(SharedDatabase, KillingOneServerMidLoadLosesNothingAcknowledged) {
    auto doomed = std::make_unique<ServerProcess>(Flags(database_.location()));
    ServerProcess survivor(Flags(database_.location()));
    ASSERT_TRUE(doomed->started() && survivor.started());
    constexpr int kClients = 40, kRounds = 6;
    Clients clients = ConnectAlternately(kClients, doomed->gamePort(), survivor.gamePort());
    std::map<std::string, int> acknowledgedDraws;  // account: draws answered with a result
    std::vector<std::string> acknowledgedAccounts;
    std::vector<bool> loggedIn(kClients, false);
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kClients; ++i) {
            std::string account = "crash" + std::to_string(i);
            clients[i]->Send(round == 0   ? LoopbackClient::Request(kRegister, account, "secret1")
                             : round == 1 ? LoopbackClient::Request(kLogin, account, "secret1")
                                          : LoopbackClient::Request(kDraw, account, "3"));
        }
        // Mid-load: the doomed server dies with the draws of round 3 sent and unanswered.
        if (round == 3) doomed->Kill();
        std::vector<std::string> answers = ReceiveAll(clients, 5000ms);
        for (int i = 0; i < kClients; ++i) {
            std::string account = "crash" + std::to_string(i);
            const std::string& answer = answers[i];
            if (answer == "注册成功") acknowledgedAccounts.push_back(account);
            if (answer.rfind("登陆成功", 0) == 0) loggedIn[i] = true;
            if (answer.rfind("抽奖结果", 0) == 0) ++acknowledgedDraws[account];
        }
    }
    EXPECT_EQ(acknowledgedAccounts.size(), static_cast<size_t>(kClients));
    for (int i = 1; i < kClients; i += 2) EXPECT_EQ(acknowledgedDraws["crash" + std::to_string(i)], 4) << i;

    server::StoreRows accounts = Rows(server::StoreTable::Accounts), draws = Rows(server::StoreTable::Draws);
    std::map<int64_t, std::string> names;
    for (const server::AccountRow& row : accounts.accounts) names[row.id] = row.name;
    std::map<std::string, int> stored;
    for (const server::DrawRow& row : draws.draws) ++stored[names[row.accountId]];
    EXPECT_EQ(accounts.accounts.size(), static_cast<size_t>(kClients));
    for (const auto& [account, count] : acknowledgedDraws) {
        // A draw in flight when the server died may be stored unanswered, never the reverse.
        EXPECT_GE(stored[account], count) << account;
        EXPECT_LE(stored[account], count + 1) << account;
    }
    // The survivor still serves the accounts the dead one made.
    LoopbackClient late(survivor.gamePort());
    EXPECT_EQ(late.Exchange(LoopbackClient::Request(kLogin, "crash0", "secret1")).rfind("登陆成功", 0), 0u);
}

TEST_F(SharedDatabase, ALostConnectionIsMadeAgainAndAnOutageAnsweredBusy) {
    server::testing::TcpForwarder forwarder(database_.SocketPath());
    ASSERT_NE(forwarder.port(), 0);
    ServerProcess server(Flags(database_.LocationThroughPort(forwarder.port())));
    ASSERT_TRUE(server.started());
    LoopbackClient client(server.gamePort());
    ASSERT_EQ(client.Exchange(LoopbackClient::Request(kRegister, "outage1", "secret1")), "注册成功");
    ASSERT_EQ(client.Exchange(LoopbackClient::Request(kLogin, "outage1", "secret1")).rfind("登陆成功", 0), 0u);

    // The database ends the connection (as a restart would): the next request is served on a new one.
    ASSERT_TRUE(database_.EndServerConnections());
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "outage1", "1")), "抽奖结果\r\n10\r\n4");

    // The database is gone: busy, not ready, and nothing recorded.
    forwarder.Cut();
    const std::string busy = replies::Refusal(replies::kDrawFailed, replies::kServerBusy);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "outage1", "2")), busy);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request(kDraw, "outage1", "2")), busy);
    EXPECT_EQ(server::testing::FetchHttp(server.adminPort(), "GET /readyz HTTP/1.0\r\n\r\n").statusLine,
              "HTTP/1.1 503 Service Unavailable");
    EXPECT_EQ(server::testing::FetchHttp(server.adminPort(), "GET /healthz HTTP/1.0\r\n\r\n").statusLine,
              "HTTP/1.1 200 OK");

    // Back again: served once the pause after the failed attempts is over.
    forwarder.Resume();
    std::string answer;
    for (auto deadline = std::chrono::steady_clock::now() + 15s; std::chrono::steady_clock::now() < deadline;) {
        answer = client.Exchange(LoopbackClient::Request(kDraw, "outage1", "2"));
        if (answer != busy) break;
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(answer, "抽奖结果\r\n20\r\n3");
    EXPECT_EQ(Rows(server::StoreTable::Draws).draws.size(), 2u);
}

}  // namespace
