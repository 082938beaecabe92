// HttpReadFile against a loopback server: bodies, chunk sizes, fragments,
// error pages, the size limit, the kept session and the time-outs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/runtime_memory.h"
#include "runtime/values.h"
#include "services/http_download.h"
#include "support/http_test_server_win32.h"

namespace {

using services::testing::BodyByte;
using services::testing::HttpTestServer;

std::vector<uint32_t> g_requestedSizes;
void RecordRead(uint32_t requested, uint32_t) { g_requestedSizes.push_back(requested); }

std::string Download(const std::string& url) {
    rt::ValueRecord argument = rt::MakeText(url.empty() ? nullptr : url.c_str());
    rt::ValueRecord result{};
    services::HttpReadFile(&result, 1, &argument);
    EXPECT_EQ(result.type, rt::kTypeByteSet);
    const uint8_t* bytes = rt::AsByteSet(result);
    std::string body(rt::ByteSetView(bytes));
    rt::Free(const_cast<uint8_t*>(bytes));
    return body;
}

std::string ExpectedBody(size_t length) {
    std::string body(length, '\0');
    for (size_t i = 0; i < length; ++i) body[i] = BodyByte(i);
    return body;
}

std::string RequestLine(const std::string& head) { return head.substr(0, head.find("\r\n")); }

class HttpDownload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Started());
        g_requestedSizes.clear();
        services::SetHttpReadObserver(RecordRead);
    }
    void TearDown() override {
        server_.Stop();  // ends what a refused download may still be reading in the background
        services::SetHttpReadObserver(nullptr);
        services::SetHttpTimeouts(services::kDefaultHttpTimeouts);
        services::CloseHttpSession();
    }
    HttpTestServer server_;
};

TEST_F(HttpDownload, EmptyUrlGivesEmptyWithoutOpeningTheSession) {
    services::CloseHttpSession();
    EXPECT_EQ(Download(""), "");
    rt::ValueRecord result{};
    services::HttpReadFile(&result, 0, nullptr);
    EXPECT_EQ(rt::AsByteSet(result), nullptr);
    EXPECT_EQ(services::CurrentHttpSession(), nullptr);
    EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(HttpDownload, ChunkSizeFollowsContentLength) {
    struct Case {
        std::string path;
        size_t bodyLength;
        uint32_t chunk;
    } cases[] = {
        {"/nolength/30000", 30000, 10240},
        {"/length/500", 500, 501},
        {"/length/10485760", 10485760, 102400},
        {"/length/102399", 102399, 102400},
    };
    for (const Case& c : cases) {
        g_requestedSizes.clear();
        EXPECT_EQ(Download(server_.Url(c.path)), ExpectedBody(c.bodyLength)) << c.path;
        ASSERT_FALSE(g_requestedSizes.empty()) << c.path;
        for (uint32_t requested : g_requestedSizes) EXPECT_EQ(requested, c.chunk) << c.path;
        EXPECT_GE(g_requestedSizes.size(), (c.bodyLength + c.chunk - 1) / c.chunk) << c.path;
    }
}

TEST_F(HttpDownload, FragmentIsNotRequested) {
    EXPECT_EQ(Download(server_.Url("/length/12#part")), ExpectedBody(12));
    EXPECT_EQ(Download(server_.Url("/length/12#")), ExpectedBody(12));
    std::vector<std::string> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& head : requests) EXPECT_EQ(RequestLine(head), "GET /length/12 HTTP/1.0");
}

TEST_F(HttpDownload, ErrorPageBodyIsReturned) { EXPECT_EQ(Download(server_.Url("/missing")), "no such document"); }

TEST_F(HttpDownload, TransferCutShortKeepsTheBytesThatArrived) {
    EXPECT_EQ(Download(server_.Url("/short/1000/300")), ExpectedBody(300));
}

TEST_F(HttpDownload, BodyBeyondTheLimitGivesEmpty) {
    const size_t limit = services::kLargestHttpBody;
    const std::string atLimit = "/length/" + std::to_string(limit);
    const std::string overLimit = std::to_string(limit + 1);
    struct Case {
        std::string path;
        bool whole;       // the body comes back whole, else empty
        bool readAtAll;   // the body was read from at all
    } cases[] = {
        {atLimit, true, true},
        {"/nolength/" + overLimit, false, true},
        {"/length/" + overLimit, false, false},
        {"/short/4294967296/10", false, false},
        {"/endless", false, true},
        // Fast enough that reading 4 GiB would take minutes: the refusal must not wait for it.
        {"/endless/4294967296", false, false},
    };
    // A refusal that waited for the whole endless body would run into the test's own time limit.
    for (const Case& c : cases) {
        g_requestedSizes.clear();
        std::string body = Download(server_.Url(c.path));
        EXPECT_EQ(body.size(), c.whole ? limit : 0u) << c.path;
        EXPECT_EQ(!g_requestedSizes.empty(), c.readAtAll) << c.path;
    }
    EXPECT_EQ(Download(server_.Url("/length/12")), ExpectedBody(12)) << "the session serves on";
}

TEST_F(HttpDownload, RequestCarriesTheFixedHeaders) {
    Download(server_.Url("/length/1"));
    std::vector<std::string> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"),
              std::string::npos)
        << requests[0];
    EXPECT_NE(requests[0].find("Accept: */*"), std::string::npos) << requests[0];
}

TEST_F(HttpDownload, SessionIsOpenedOnceAndKept) {
    Download(server_.Url("/length/3"));
    void* session = services::CurrentHttpSession();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(Download(server_.Url("/length/4")), ExpectedBody(4));
    EXPECT_EQ(services::CurrentHttpSession(), session);
}

TEST_F(HttpDownload, UnusableUrlsGiveEmpty) {
    for (const char* url : {"not a url", "ftp://127.0.0.1/file", "#only-a-fragment"})
        EXPECT_EQ(Download(url), "") << url;
    // Nothing listens on port 1 of the loopback.
    EXPECT_EQ(Download("http://127.0.0.1:1/x"), "");
}

TEST_F(HttpDownload, HttpsIsRequestedSecurely) {
    services::SetHttpTimeouts({2000, 2000, 1500});
    std::string url = server_.Url("/length/5");
    url.replace(0, 4, "https");
    // The plain server cannot answer a secure request; a plain one would get the body.
    EXPECT_EQ(Download(url), "");
    for (const std::string& head : server_.Requests()) EXPECT_NE(RequestLine(head), "GET /length/5 HTTP/1.0");
}

TEST_F(HttpDownload, SilentServerGivesEmptyAfterTheReceiveTimeout) {
    services::SetHttpTimeouts({2000, 2000, 1500});
    DWORD start = GetTickCount();
    EXPECT_EQ(Download(server_.Url("/silent")), "");
    EXPECT_GE(GetTickCount() - start, 1000u) << "the receive timeout was waited for";
    EXPECT_EQ(server_.Requests().size(), 1u);
}

}  // namespace
