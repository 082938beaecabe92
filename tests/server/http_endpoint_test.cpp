// The update document over HTTP: the version from a flag or from the launcher's
// INI file, Content-Length, 404 and refusals, one response per connection.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

#include "server/update_document.h"
#include "support/http_reply.h"
#include "support/loopback_client.h"
#include "support/test_server.h"

namespace {

using server::testing::FetchHttp;
using server::testing::Header;
using server::testing::HttpReply;
using server::testing::LoopbackClient;
using server::testing::TemporaryFolder;
using server::testing::TestServer;
using server::VersionSource;

HttpReply Fetch(uint16_t port, const std::string& request) { return FetchHttp(port, request); }

std::string Get(const std::string& path, const std::string& version = "HTTP/1.1") {
    return "GET " + path + " " + version + "\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n";
}

server::ServerConfig WithVersion(VersionSource source) {
    server::ServerConfig config = TestServer::DefaultConfig();
    config.version = std::move(source);
    return config;
}

const std::string kDocumentStart = "<?xml version=\"1.0\" encoding=\"gbk\"?>\r\n<Info>\r\n  <Version>";
const std::string kDocumentEnd = "</Version>\r\n</Info>\r\n";

TEST(UpdateDocument, ServesTheVersionWithItsLength) {
    TestServer server(WithVersion({VersionSource::Kind::Text, "1.0.7"}));
    for (const char* version : {"HTTP/1.1", "HTTP/1.0"}) {
        HttpReply reply = Fetch(server.httpPort(), Get("/vorlenk2/update.xml", version));
        EXPECT_EQ(reply.statusLine, "HTTP/1.1 200 OK") << version;
        EXPECT_EQ(reply.body, kDocumentStart + "1.0.7" + kDocumentEnd);
        EXPECT_EQ(Header(reply, "Content-Length"), std::to_string(reply.body.size()));
        EXPECT_EQ(Header(reply, "Content-Type"), "text/xml; charset=gbk");
        EXPECT_EQ(Header(reply, "Connection"), "close");
        EXPECT_TRUE(reply.closed);
    }
}

TEST(UpdateDocument, QueryAndAbsoluteFormReachTheSameDocument) {
    TestServer server(WithVersion({VersionSource::Kind::Text, "2"}));
    EXPECT_EQ(Fetch(server.httpPort(), Get("/vorlenk2/update.xml?t=1")).body, kDocumentStart + "2" + kDocumentEnd);
    EXPECT_EQ(Fetch(server.httpPort(), Get("http://example.invalid:8080/vorlenk2/update.xml")).body,
              kDocumentStart + "2" + kDocumentEnd);
}

TEST(UpdateDocument, EscapesMarkupInTheVersion) {
    TestServer server(WithVersion({VersionSource::Kind::Text, "1<2&3>"}));
    EXPECT_EQ(Fetch(server.httpPort(), Get("/vorlenk2/update.xml")).body,
              kDocumentStart + "1&lt;2&amp;3&gt;" + kDocumentEnd);
}

TEST(UpdateDocument, FollowsTheLaunchersIniFileAsItChanges) {
    TemporaryFolder folder;
    std::string ini = folder.path() + "/update.ini";
    std::ofstream(ini, std::ios::binary) << "[其他]\r\n当前版本=9.9\r\n[更新配置]\r\n当前版本=1.2.0\r\n";
    TestServer server(WithVersion({VersionSource::Kind::UpdateIni, ini}));
    EXPECT_EQ(Fetch(server.httpPort(), Get("/vorlenk2/update.xml")).body, kDocumentStart + "1.2.0" + kDocumentEnd);

    std::ofstream(ini, std::ios::binary | std::ios::trunc) << "[更新配置]\r\n当前版本 = 版本二\r\n";
    EXPECT_EQ(Fetch(server.httpPort(), Get("/vorlenk2/update.xml")).body, kDocumentStart + "版本二" + kDocumentEnd);

    std::ofstream(ini, std::ios::binary | std::ios::trunc) << "[更新配置]\r\n";
    EXPECT_EQ(Fetch(server.httpPort(), Get("/vorlenk2/update.xml")).statusLine, "HTTP/1.1 503 Service Unavailable");
}

TEST(UpdateDocument, WithoutAVersionIsUnavailable) {
    TestServer server;
    HttpReply reply = Fetch(server.httpPort(), Get("/vorlenk2/update.xml"));
    EXPECT_EQ(reply.statusLine, "HTTP/1.1 503 Service Unavailable");
    EXPECT_EQ(Header(reply, "Content-Length"), std::to_string(reply.body.size()));
}

TEST(HttpRequests, HeadsWithBareLineFeedsAreAnswered) {
    TestServer server(WithVersion({VersionSource::Kind::Text, "1.0.7"}));
    for (const char* request : {"GET /vorlenk2/update.xml HTTP/1.1\nHost: 127.0.0.1\nUser-Agent: test\n\n",
                                "GET /vorlenk2/update.xml HTTP/1.0\n\n",
                                "GET /vorlenk2/update.xml HTTP/1.1\r\nHost: 127.0.0.1\n\r\n",
                                "GET /vorlenk2/update.xml HTTP/1.1\nHost: 127.0.0.1\r\n\n"}) {
        HttpReply reply = Fetch(server.httpPort(), request);
        EXPECT_EQ(reply.statusLine, "HTTP/1.1 200 OK") << request;
        EXPECT_EQ(reply.body, kDocumentStart + "1.0.7" + kDocumentEnd) << request;
    }
}

TEST(HttpRequests, HeadGivesTheHeadersOnly) {
    TestServer server(WithVersion({VersionSource::Kind::Text, "1.0.7"}));
    HttpReply reply = Fetch(server.httpPort(), "HEAD /vorlenk2/update.xml HTTP/1.1\r\n\r\n");
    EXPECT_EQ(reply.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(reply.body, "");
    EXPECT_EQ(Header(reply, "Content-Length"), std::to_string((kDocumentStart + "1.0.7" + kDocumentEnd).size()));
}

TEST(HttpRequests, OtherPathsAndBadRequestsAreRefused) {
    TestServer server(WithVersion({VersionSource::Kind::Text, "1"}));
    struct Case {
        std::string request, statusLine;
    } cases[] = {
        {Get("/"), "HTTP/1.1 404 Not Found"},
        {Get("/vorlenk2/update.xml/"), "HTTP/1.1 404 Not Found"},
        {Get("/VORLENK2/update.xml"), "HTTP/1.1 404 Not Found"},
        {"POST /vorlenk2/update.xml HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "HTTP/1.1 405 Method Not Allowed"},
        {Get("/vorlenk2/update.xml", "HTTP/2.0"), "HTTP/1.1 505 HTTP Version Not Supported"},
        {"GET /vorlenk2/update.xml\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"hello\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"GET  /vorlenk2/update.xml HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"GET vorlenk2/update.xml HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"GET /a\x01 HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"GET / HTTP/1.1\r\nX: " + std::string(9000, 'a'), "HTTP/1.1 431 Request Header Fields Too Large"},
    };
    for (const Case& c : cases) {
        HttpReply reply = Fetch(server.httpPort(), c.request);
        EXPECT_EQ(reply.statusLine, c.statusLine) << c.request.substr(0, 40);
        EXPECT_EQ(Header(reply, "Content-Length"), std::to_string(reply.body.size()));
        EXPECT_FALSE(reply.body.empty());
        EXPECT_TRUE(reply.closed);
    }
    // The game port keeps working throughout.
    LoopbackClient game(server.gamePort());
    EXPECT_FALSE(game.Exchange("离开副本\r\nR").empty());
}

TEST(HttpRequests, AnUnfinishedHeadIsDroppedAfterTheTimeLimit) {
    server::ServerConfig config = WithVersion({VersionSource::Kind::Text, "1"});
    config.requestTimeout = std::chrono::milliseconds(300);
    TestServer server(config);
    LoopbackClient client(server.httpPort());
    ASSERT_TRUE(client.Send("GET /vorlenk2/update.xml HTTP/1.1\r\nHost: x\r\n"));
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(client.ClosedByPeer());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(Fetch(server.httpPort(), Get("/vorlenk2/update.xml")).statusLine, "HTTP/1.1 200 OK");
}

}  // namespace
