// The operators' port: health and readiness, and a metrics page that the reference
// Prometheus parser reads, with counts that follow what players did and nothing of theirs.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "server/replies.h"
#include "support/http_reply.h"
#include "support/loopback_client.h"
#include "support/test_server.h"

namespace {

using server::testing::FetchHttp;
using server::testing::LoopbackClient;
using server::testing::TemporaryFolder;
using server::testing::TestServer;

// The page's samples as the parser saw them ("name{labels}" to value), or empty when it refused the page.
std::map<std::string, double> ParseWithPrometheusClient(const std::string& page) {
    TemporaryFolder folder;
    std::string input = folder.path() + "/page.txt";
    std::ofstream(input, std::ios::binary) << page;
    // Debian's interpreter, the one its python3-prometheus-client package installs for.
    std::string command = std::string("/usr/bin/python3 ") + LUMADREL_TEST_DATA_DIR + "/../server/support/parse_metrics.py <" +
                          input;
    FILE* parser = ::popen(command.c_str(), "r");
    std::map<std::string, double> samples;
    char line[1024];
    std::string types;
    while (parser && std::fgets(line, sizeof line, parser)) {
        std::string text(line);
        size_t space = text.rfind(' ');
        if (text.rfind("# TYPE ", 0) == 0 || space == std::string::npos) continue;
        samples[text.substr(0, space)] = std::stod(text.substr(space + 1));
    }
    int status = parser ? ::pclose(parser) : -1;
    EXPECT_EQ(status, 0) << "the parser refused the page:\n" << page;
    return status == 0 ? samples : std::map<std::string, double>{};
}

TEST(AdminEndpoint, AnswersHealthReadinessAndOnlyItsOwnPaths) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.adminPort = 0;
    TestServer server(config);
    ASSERT_NE(server.adminPort(), 0);
    auto healthz = FetchHttp(server.adminPort(), "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(healthz.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(healthz.body, "ok\n");
    EXPECT_EQ(FetchHttp(server.adminPort(), "GET /readyz HTTP/1.0\r\n\r\n").body, "ready\n");
    EXPECT_EQ(FetchHttp(server.adminPort(), "GET /vorlenk2/update.xml HTTP/1.0\r\n\r\n").statusLine,
              "HTTP/1.1 404 Not Found");
    EXPECT_EQ(FetchHttp(server.adminPort(), "POST /metrics HTTP/1.0\r\n\r\n").statusLine,
              "HTTP/1.1 405 Method Not Allowed");
    auto head = FetchHttp(server.adminPort(), "HEAD /metrics HTTP/1.0\r\n\r\n");
    EXPECT_EQ(head.statusLine, "HTTP/1.1 200 OK");
    EXPECT_TRUE(head.body.empty());
}

TEST(AdminEndpoint, MetricsCountWhatPlayersDidAndNameNoneOfThem) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.adminPort = 0;
    config.version = {server::VersionSource::Kind::Text, "1.0.0"};
    TestServer server(config);
    {
        LoopbackClient client(server.gamePort());
        const std::string password = "Zq9x7secret";
        EXPECT_EQ(client.Exchange(LoopbackClient::Request("注册账号", "metrics1", password)), "注册成功");
        EXPECT_EQ(client.Exchange(LoopbackClient::Request("注册账号", "metrics1", password)), "账号存在");
        EXPECT_EQ(client.Exchange(LoopbackClient::Request("登陆商城", "metrics1", "wrong99")), "登陆错误");
        EXPECT_EQ(client.Exchange(LoopbackClient::Request("登陆商城", "metrics1", password)).rfind("登陆成功", 0), 0u);
        EXPECT_EQ(client.Exchange(LoopbackClient::Request("幸运抽奖", "metrics1", "16")), "抽奖结果\r\n500\r\n2");
        EXPECT_EQ(client.Exchange(LoopbackClient::Request("幸运抽奖", "metrics1", "2")), "抽奖结果\r\n20\r\n1");
        EXPECT_EQ(client.Exchange(LoopbackClient::Request("离开副本", "nobody")),
                  server::replies::Refusal(server::replies::kLeaveFailed, server::replies::kUnknownRole));
    }
    auto document = FetchHttp(server.httpPort(), "GET /vorlenk2/update.xml HTTP/1.0\r\n\r\n");
    ASSERT_EQ(document.statusLine, "HTTP/1.1 200 OK");

    auto reply = FetchHttp(server.adminPort(), "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(server::testing::Header(reply, "Content-Type"), "text/plain; version=0.0.4; charset=utf-8");
    for (const char* secret : {"metrics1", "Zq9x7", "127.0.0.1", "nobody"}) {
        EXPECT_EQ(reply.body.find(secret), std::string::npos) << secret;
    }
    std::map<std::string, double> samples = ParseWithPrometheusClient(reply.body);
    struct Expected {
        const char* sample;
        double value;
    } expected[] = {
        {"lumadrel_requests_total{command=\"register\",result=\"ok\"}", 1},
        {"lumadrel_requests_total{command=\"register\",result=\"refused\"}", 1},
        {"lumadrel_requests_total{command=\"login\",result=\"ok\"}", 1},
        {"lumadrel_requests_total{command=\"login\",result=\"refused\"}", 1},
        {"lumadrel_requests_total{command=\"draw\",result=\"ok\"}", 2},
        {"lumadrel_requests_total{command=\"leave_dungeon\",result=\"refused\"}", 1},
        {"lumadrel_requests_total{command=\"enchant\",result=\"busy\"}", 0},
        {"lumadrel_draws_granted_total{}", 2},
        {"lumadrel_diamonds_credited_total{}", 520},
        {"lumadrel_login_seconds_count{}", 2},
        {"lumadrel_login_seconds_bucket{le=\"+Inf\"}", 2},
        {"lumadrel_registration_seconds_count{}", 2},
        {"lumadrel_http_bytes_sent_total{}", static_cast<double>(document.head.size() + 2 + document.body.size())},
        {"lumadrel_connections_refused_total{reason=\"over_address_limit\"}", 0},
        {"lumadrel_hashing_queue_depth{}", 0},
        {"lumadrel_store_errors_total{operation=\"record_draw\"}", 0},
        {"lumadrel_requests_turned_away_total{reason=\"hashing_queue_full\"}", 0},
    };
    EXPECT_TRUE(samples.count("lumadrel_connections_open{}"));
    for (const Expected& entry : expected) {
        auto found = samples.find(entry.sample);
        ASSERT_NE(found, samples.end()) << entry.sample << " missing from\n" << reply.body;
        EXPECT_EQ(found->second, entry.value) << entry.sample;
    }
}

}  // namespace
