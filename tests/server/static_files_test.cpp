// --www DIR: files below the folder with their length, byte ranges as 206
// (several as one multipart answer, up to a cap), the bytes counted for the
// metrics, and no way out of the folder or into a listing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "server/command_line.h"
#include "server/static_files.h"
#include "updater/multipart_ranges.h"
#include "support/http_reply.h"
#include "support/test_server.h"

namespace {

using server::ByteRange;
using server::RangeStatus;
using server::StaticPathStatus;
using server::testing::FetchHttp;
using server::testing::Header;
using server::testing::HttpReply;
using server::testing::TemporaryFolder;
using server::testing::TestServer;

// Big files take longer than the default quiet time to arrive whole.
HttpReply Fetch(uint16_t port, const std::string& request) {
    return FetchHttp(port, request, std::chrono::milliseconds(200));
}

std::string Get(const std::string& path, const std::string& extra = "") {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Pattern(size_t length) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 9));
    return bytes;
}

class StaticFiles : public ::testing::Test {
protected:
    StaticFiles() {
        www_ = folder_.path() + "/www";
        WriteFile(www_ + "/vorlenk2/update.xml", "<Info><Version>1.0.1</Version><Files/></Info>");
        WriteFile(www_ + "/vorlenk2/files/1.0.1/data/map01.dat", "0123456789");
        WriteFile(www_ + "/vorlenk2/files/1.0.1/\xE6\x96\xB0.dat", "new");
        WriteFile(www_ + "/vorlenk2/files/1.0.1/big.dat", Pattern(5 * 1024 * 1024 + 3));
        WriteFile(www_ + "/vorlenk2/.update.xml.123.tmp", "half a docu");
        WriteFile(folder_.path() + "/secret.txt", "outside");
        std::filesystem::create_symlink(folder_.path() + "/secret.txt", www_ + "/vorlenk2/link.txt");
        server::ServerConfig config = TestServer::DefaultConfig();
        config.wwwRoot = www_;
        server_ = std::make_unique<TestServer>(config);
    }

    uint16_t port() const { return server_->httpPort(); }

    TemporaryFolder folder_;
    std::string www_;
    std::unique_ptr<TestServer> server_;
};

TEST_F(StaticFiles, ServeFilesWithTheirLength) {
    HttpReply document = Fetch(port(), Get("/vorlenk2/update.xml"));
    EXPECT_EQ(document.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(document.body, "<Info><Version>1.0.1</Version><Files/></Info>");
    EXPECT_EQ(Header(document, "Content-Type"), "text/xml; charset=gbk");
    EXPECT_EQ(Header(document, "Content-Length"), std::to_string(document.body.size()));

    HttpReply named = Fetch(port(), Get("/vorlenk2/files/1.0.1/%E6%96%B0.dat"));
    EXPECT_EQ(named.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(named.body, "new");

    // Streamed in chunks, whole.
    HttpReply big = Fetch(port(), Get("/vorlenk2/files/1.0.1/big.dat"));
    EXPECT_EQ(Header(big, "Content-Length"), std::to_string(5 * 1024 * 1024 + 3));
    EXPECT_TRUE(big.body == Pattern(5 * 1024 * 1024 + 3));
    EXPECT_EQ(Header(big, "Accept-Ranges"), "bytes");

    HttpReply head = Fetch(port(), "HEAD /vorlenk2/files/1.0.1/data/map01.dat HTTP/1.1\r\n\r\n");
    EXPECT_EQ(head.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(Header(head, "Content-Length"), "10");
    EXPECT_EQ(head.body, "");
}

TEST_F(StaticFiles, ServeByteRanges) {
    struct Case {
        std::string range;
        std::string statusLine;
        std::string contentRange;
        std::string body;
    } cases[] = {
        {"bytes=3-", "HTTP/1.1 206 Partial Content", "bytes 3-9/10", "3456789"},
        {"bytes=2-4", "HTTP/1.1 206 Partial Content", "bytes 2-4/10", "234"},
        {"bytes=-3", "HTTP/1.1 206 Partial Content", "bytes 7-9/10", "789"},
        {"bytes=5-100", "HTTP/1.1 206 Partial Content", "bytes 5-9/10", "56789"},
        {"bytes=9-9", "HTTP/1.1 206 Partial Content", "bytes 9-9/10", "9"},
        {"bytes=10-", "HTTP/1.1 416 Range Not Satisfiable", "bytes */10", ""},
        {"bytes=0-1,1-3", "HTTP/1.1 206 Partial Content", "bytes 0-3/10", "0123"},
        {"bytes=6-,2-3,3-5", "HTTP/1.1 206 Partial Content", "bytes 2-9/10", "23456789"},
        {"bytes=0-1,20-30", "HTTP/1.1 206 Partial Content", "bytes 0-1/10", "01"},
        {"bytes=20-30,40-", "HTTP/1.1 416 Range Not Satisfiable", "bytes */10", ""},
        {"bytes=0-1,", "HTTP/1.1 200 OK", "", "0123456789"},
        {"items=0-1", "HTTP/1.1 200 OK", "", "0123456789"},
        {"bytes=4-2", "HTTP/1.1 200 OK", "", "0123456789"},
    };
    for (const Case& c : cases) {
        HttpReply reply = Fetch(port(), Get("/vorlenk2/files/1.0.1/data/map01.dat", "Range: " + c.range + "\r\n"));
        EXPECT_EQ(reply.statusLine, c.statusLine) << c.range;
        EXPECT_EQ(Header(reply, "Content-Range"), c.contentRange) << c.range;
        EXPECT_EQ(reply.body, c.body) << c.range;
        EXPECT_EQ(Header(reply, "Content-Length"), std::to_string(c.body.size())) << c.range;
    }
    HttpReply tail = Fetch(port(), Get("/vorlenk2/files/1.0.1/big.dat", "range:  bytes=5242000- \r\n"));
    EXPECT_EQ(tail.statusLine, "HTTP/1.1 206 Partial Content");
    EXPECT_TRUE(tail.body == Pattern(5 * 1024 * 1024 + 3).substr(5242000));
}

TEST_F(StaticFiles, ServeSeveralRangesAsOneMultipartAnswer) {
    HttpReply reply = Fetch(port(), Get("/vorlenk2/files/1.0.1/data/map01.dat", "Range: bytes=0-1,4-5,8-\r\n"));
    EXPECT_EQ(reply.statusLine, "HTTP/1.1 206 Partial Content");
    std::optional<std::string> boundary = updater::ByteRangesBoundary(Header(reply, "Content-Type"));
    ASSERT_TRUE(boundary.has_value()) << Header(reply, "Content-Type");
    const std::string part = "\r\nContent-Type: application/octet-stream\r\nContent-Range: bytes ";
    // A CRLF before the first boundary too: clients that look for one after a CRLF find it.
    EXPECT_EQ(reply.body, "\r\n--" + *boundary + part + "0-1/10\r\n\r\n01\r\n--" + *boundary + part +
                              "4-5/10\r\n\r\n45\r\n--" + *boundary + part + "8-9/10\r\n\r\n89\r\n--" + *boundary +
                              "--\r\n");
    EXPECT_EQ(Header(reply, "Content-Length"), std::to_string(reply.body.size()));

    // Many ranges of a big file, read the way the updater reads them.
    const std::string big = Pattern(5 * 1024 * 1024 + 3);
    std::vector<updater::AskedRange> asked;
    std::string header = "Range: bytes=";
    for (uint64_t first = 1000; asked.size() < 64; first += 81000) {
        asked.push_back({first, first + 40000 + asked.size()});
        header += (asked.size() > 1 ? "," : "") + std::to_string(first) + "-" + std::to_string(asked.back().last);
    }
    reply = Fetch(port(), Get("/vorlenk2/files/1.0.1/big.dat", header + "\r\n"));
    ASSERT_EQ(reply.statusLine, "HTTP/1.1 206 Partial Content");
    updater::MultipartRangeReader reader(*updater::ByteRangesBoundary(Header(reply, "Content-Type")), asked,
                                         big.size());
    std::string received(big.size(), '\0');
    reader.Feed(reply.body.data(), reply.body.size(), [&](uint64_t offset, const char* data, size_t size) {
        received.replace(offset, size, data, size);
        return true;
    });
    EXPECT_EQ(reader.Finish(), updater::MultipartRangeReader::Status::Done);
    for (const updater::AskedRange& range : asked) {
        EXPECT_TRUE(received.compare(range.first, range.last - range.first + 1, big, range.first,
                                     range.last - range.first + 1) == 0)
            << range.first;
    }
}

TEST(StaticFilesRangeCap, MoreRangesThanTheCapGetTheWholeFileAndZeroTurnsRangesOff) {
    TemporaryFolder folder;
    WriteFile(folder.path() + "/www/a.dat", "0123456789");
    for (size_t cap : {size_t(2), size_t(0)}) {
        server::ServerConfig config = TestServer::DefaultConfig();
        config.wwwRoot = folder.path() + "/www";
        config.wwwMostRanges = cap;
        TestServer server(config);
        HttpReply two = Fetch(server.httpPort(), Get("/a.dat", "Range: bytes=0-1,4-5\r\n"));
        HttpReply three = Fetch(server.httpPort(), Get("/a.dat", "Range: bytes=0-1,4-5,7-8\r\n"));
        EXPECT_EQ(three.statusLine, "HTTP/1.1 200 OK") << cap;
        EXPECT_EQ(three.body, "0123456789") << cap;
        if (cap == 0) {
            EXPECT_EQ(two.statusLine, "HTTP/1.1 200 OK");
            EXPECT_EQ(Header(two, "Accept-Ranges"), "none");
            EXPECT_EQ(Fetch(server.httpPort(), Get("/a.dat", "Range: bytes=3-\r\n")).body, "0123456789");
        } else {
            EXPECT_EQ(two.statusLine, "HTTP/1.1 206 Partial Content");
            EXPECT_EQ(Header(three, "Accept-Ranges"), "bytes");
        }
    }
}

TEST(StaticFilesMetrics, CountEveryByteSentWholeRangedOrRefused) {
    TemporaryFolder folder;
    WriteFile(folder.path() + "/www/a.dat", Pattern(3 * 1024 * 1024));
    server::ServerConfig config = TestServer::DefaultConfig();
    config.wwwRoot = folder.path() + "/www";
    config.adminPort = 0;
    TestServer server(config);
    uint64_t received = 0;
    for (const std::string& range : {std::string(), std::string("Range: bytes=5-9\r\n"),
                                     std::string("Range: bytes=0-99,1000-1999,500000-\r\n")}) {
        HttpReply reply = Fetch(server.httpPort(), Get("/a.dat", range));
        ASSERT_FALSE(reply.body.empty()) << range;
        received += reply.head.size() + 2 + reply.body.size();
    }
    HttpReply missing = Fetch(server.httpPort(), Get("/missing.dat"));
    received += missing.head.size() + 2 + missing.body.size();
    HttpReply metrics = FetchHttp(server.adminPort(), "GET /metrics HTTP/1.0\r\n\r\n");
    const std::string name = "\nlumadrel_http_bytes_sent_total ";
    size_t at = metrics.body.find(name);
    ASSERT_NE(at, std::string::npos) << metrics.body;
    EXPECT_EQ(std::stoull(metrics.body.substr(at + name.size())), received);
}

TEST_F(StaticFiles, NothingOutsideTheFolderNoListingsNoHalfWrittenFiles) {
    struct Case {
        std::string path;
        std::string statusLine;
    } cases[] = {
        {"/vorlenk2/../../secret.txt", "HTTP/1.1 404 Not Found"},
        {"/vorlenk2/%2e%2e/%2e%2e/secret.txt", "HTTP/1.1 404 Not Found"},
        {"/vorlenk2/..%2F..%2Fsecret.txt", "HTTP/1.1 404 Not Found"},
        {"/vorlenk2/%5C..%5Csecret.txt", "HTTP/1.1 400 Bad Request"},
        {"/vorlenk2/files/1.0.1/data/map01.dat%00.xml", "HTTP/1.1 400 Bad Request"},
        {"/vorlenk2/%zz", "HTTP/1.1 400 Bad Request"},
        {"/vorlenk2/link.txt", "HTTP/1.1 404 Not Found"},
        {"/vorlenk2/.update.xml.123.tmp", "HTTP/1.1 404 Not Found"},
        {"/vorlenk2/", "HTTP/1.1 404 Not Found"},
        {"/vorlenk2", "HTTP/1.1 404 Not Found"},
        {"/", "HTTP/1.1 404 Not Found"},
        {"//etc/passwd", "HTTP/1.1 404 Not Found"},
        {"/vorlenk2/missing.dat", "HTTP/1.1 404 Not Found"},
    };
    for (const Case& c : cases) {
        HttpReply reply = Fetch(port(), Get(c.path));
        EXPECT_EQ(reply.statusLine, c.statusLine) << c.path;
        EXPECT_EQ(reply.body.find("outside"), std::string::npos) << c.path;
        EXPECT_EQ(reply.body.find("map01"), std::string::npos) << c.path;
        EXPECT_EQ(Header(reply, "Content-Length"), std::to_string(reply.body.size())) << c.path;
    }
}

TEST(StaticFilePaths, MapRequestSegmentsBelowTheRoot) {
    std::string file;
    EXPECT_EQ(server::StaticFilePath("/srv", "/a/b%20c.dat", &file), StaticPathStatus::Ok);
    EXPECT_EQ(file, "/srv/a/b c.dat");
    EXPECT_EQ(server::StaticFilePath("/srv", "/a/%E6%96%B0", &file), StaticPathStatus::Ok);
    EXPECT_EQ(file, "/srv/a/\xE6\x96\xB0");
    EXPECT_EQ(server::StaticFilePath("/srv", "/a/%2", &file), StaticPathStatus::Malformed);
    EXPECT_EQ(server::StaticFilePath("/srv", "/a/b%1f", &file), StaticPathStatus::Malformed);
    EXPECT_EQ(server::StaticFilePath("/srv", "/a//b", &file), StaticPathStatus::Refused);
    EXPECT_EQ(server::StaticFilePath("/srv", "/a/%2E", &file), StaticPathStatus::Refused);
}

TEST(StaticFilesFlag, NamesAFolderThatExists) {
    TemporaryFolder folder;
    server::ServerConfig config;
    const char* good[] = {"server", "--www", folder.path().c_str()};
    auto parsed = server::ParseCommandLine(3, good, config);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, server::CommandLineAction::Run);
    EXPECT_EQ(config.wwwRoot, folder.path());
    std::string missing = folder.path() + "/missing";
    const char* bad[] = {"server", "--www", missing.c_str()};
    auto refused = server::ParseCommandLine(3, bad, config);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("--www"), std::string::npos);
}

}  // namespace
