// The updater's HTTP under Wine against a scripted loopback server: streamed
// downloads, resume with Range, and every kind of bad answer reported (more or
// fewer bytes, another length, garbage, an error status, silence).
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "support/scripted_http_server_win32.h"
#include "support/scratch_folder_win32.h"
#include "updater/http_transfer_win32.h"

namespace {

using updater::HttpTransfer;
using updater::TransferError;
using updater::TransferResult;
using rt::testing::PatternBytes;
using rt::testing::ScriptedHttpServer;
using updater::testing::ScratchFolder;

const std::string kBody = PatternBytes(3 * 1024 * 1024 + 17);

// A download into `name` in the folder, which holds `kept` before it starts.
TransferResult DownloadInto(const ScratchFolder& folder, const std::string& url, const std::string& kept,
                            uint64_t size = kBody.size(), std::function<bool(uint64_t)> onBytes = nullptr) {
    folder.Write("download", kept);
    HANDLE file = CreateFileW((folder.Path() + L"\\download").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    LARGE_INTEGER end{};
    SetFilePointerEx(file, end, nullptr, FILE_END);
    HttpTransfer http;
    TransferResult result = http.Download(url, file, kept.size(), size, onBytes);
    CloseHandle(file);
    return result;
}

TEST(HttpTransfer, StreamsAWholeFileToDisk) {
    ScriptedHttpServer server([](const std::string& head) { return ScriptedHttpServer::ServeBytes(head, kBody); });
    ScratchFolder folder;
    uint64_t reported = 0;
    TransferResult result = DownloadInto(folder, server.Url("/files/a.dat"), "", kBody.size(), [&](uint64_t bytes) {
        reported += bytes;
        return true;
    });
    EXPECT_EQ(result.error, TransferError::None);
    EXPECT_EQ(result.received, kBody.size());
    EXPECT_EQ(reported, kBody.size());
    EXPECT_TRUE(folder.Read("download") == kBody);
}

TEST(HttpTransfer, ResumesWithARangeRequest) {
    ScriptedHttpServer server([](const std::string& head) { return ScriptedHttpServer::ServeBytes(head, kBody); });
    ScratchFolder folder;
    TransferResult result = DownloadInto(folder, server.Url("/a.dat"), kBody.substr(0, 1000000));
    EXPECT_EQ(result.error, TransferError::None);
    EXPECT_EQ(result.received, kBody.size() - 1000000);
    EXPECT_TRUE(folder.Read("download") == kBody);
    ASSERT_EQ(server.Heads().size(), 1u);
    EXPECT_NE(server.Heads()[0].find("\r\nRange: bytes=1000000-\r\n"), std::string::npos) << server.Heads()[0];
}

TEST(HttpTransfer, AServerThatIgnoresTheRangeStartsTheFileAgain) {
    ScriptedHttpServer server([](const std::string&) { return ScriptedHttpServer::ServeBytes("", kBody); });
    ScratchFolder folder;
    TransferResult result = DownloadInto(folder, server.Url("/a.dat"), std::string(5000, 'x'));
    EXPECT_EQ(result.error, TransferError::None);
    EXPECT_TRUE(folder.Read("download") == kBody);
}

TEST(HttpTransfer, BadAnswersAreReportedAndNothingBeyondTheListedSizeIsWritten) {
    const std::string small = "0123456789";
    struct Case {
        const char* what;
        std::string answer;
        TransferError expected;
    } cases[] = {
        {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno\n", TransferError::HttpStatus},
        {"another length announced", "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\n0123456789X",
         TransferError::WrongLength},
        {"more bytes than listed", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n0123456789 and more",
         TransferError::TooManyBytes},
        {"fewer bytes, then closed", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234", TransferError::TooFewBytes},
        {"fewer bytes, no length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n01234", TransferError::TooFewBytes},
        {"a range that was not asked for",
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 2-9/10\r\nContent-Length: 8\r\n\r\n23456789",
         TransferError::HttpStatus},
        {"closed without an answer", "", TransferError::BadAnswer},
    };
    for (const Case& c : cases) {
        ScriptedHttpServer server([&](const std::string&) { return c.answer; });
        ScratchFolder folder;
        TransferResult result = DownloadInto(folder, server.Url("/a.dat"), "", small.size());
        EXPECT_NE(result.error, TransferError::None) << c.what;
        if (c.expected != TransferError::BadAnswer) {
            EXPECT_EQ(result.error, c.expected) << c.what;
        }
        EXPECT_LE(folder.Read("download").size(), small.size()) << c.what;
    }
}

TEST(HttpTransfer, GarbageInsteadOfHttpIsReported) {
    for (std::string garbage : {std::string("hello\r\n\r\n"), PatternBytes(100000, 7), std::string("\0\0\0\0", 4)}) {
        ScriptedHttpServer server([&](const std::string&) { return garbage; });
        ScratchFolder folder;
        TransferResult result = DownloadInto(folder, server.Url("/a.dat"), "", 10);
        // WinINet may read a headerless answer as a body: its length or hash gives it away.
        EXPECT_TRUE(result.error != TransferError::None || folder.Read("download") != "0123456789");
        EXPECT_LE(folder.Read("download").size(), 10u);
        std::string document;
        TransferResult fetched = HttpTransfer().Fetch(server.Url("/update.xml"), 1000, &document);
        EXPECT_TRUE(fetched.error != TransferError::None || document.size() <= 1000);
    }
}

TEST(HttpTransfer, ARangeWithAnotherStartIsRefused) {
    ScriptedHttpServer server([](const std::string&) {
        return std::string("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-9/10\r\nContent-Length: 10\r\n\r\n"
                           "0123456789");
    });
    ScratchFolder folder;
    TransferResult result = DownloadInto(folder, server.Url("/a.dat"), "01234", 10);
    EXPECT_EQ(result.error, TransferError::WrongLength);
    EXPECT_EQ(folder.Read("download"), "01234");
}

TEST(HttpTransfer, DocumentsAreLimitedInSize) {
    std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n" + std::string(2000, 'x');
    std::string unannounced = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(2000, 'x');
    for (const std::string& bytes : {answer, unannounced}) {
        ScriptedHttpServer server([&](const std::string&) { return bytes; });
        std::string document;
        EXPECT_EQ(HttpTransfer().Fetch(server.Url("/update.xml"), 1000, &document).error, TransferError::TooLarge);
    }
    ScriptedHttpServer server(
        [](const std::string&) { return std::string("HTTP/1.1 503 Busy\r\nContent-Length: 0\r\n\r\n"); });
    std::string document;
    TransferResult result = HttpTransfer().Fetch(server.Url("/update.xml"), 1000, &document);
    EXPECT_EQ(result.error, TransferError::HttpStatus);
    EXPECT_EQ(result.httpStatus, 503);
}

TEST(HttpTransfer, CancellingStopsTheDownload) {
    ScriptedHttpServer server([](const std::string& head) { return ScriptedHttpServer::ServeBytes(head, kBody); });
    ScratchFolder folder;
    TransferResult result =
        DownloadInto(folder, server.Url("/a.dat"), "", kBody.size(), [](uint64_t) { return false; });
    EXPECT_EQ(result.error, TransferError::Cancelled);
    EXPECT_LT(folder.Read("download").size(), kBody.size());
}

TEST(HttpTransfer, NoServerIsReported) {
    uint16_t port = 0;
    {
        ScriptedHttpServer server([](const std::string&) { return std::string(); });
        port = static_cast<uint16_t>(std::stoi(server.Url("").substr(17)));
    }
    std::string document;
    TransferResult result = HttpTransfer().Fetch("http://127.0.0.1:" + std::to_string(port) + "/update.xml", 1000,
                                                 &document);
    EXPECT_EQ(result.error, TransferError::NoConnection);
}

TEST(HttpTransfer, ASilentServerIsReportedWithinTheHttpTimeOuts) {
    ScriptedHttpServer server([](const std::string&) { return rt::testing::kSilent; });
    auto start = std::chrono::steady_clock::now();
    std::string document;
    TransferResult result = HttpTransfer().Fetch(server.Url("/update.xml"), 1000, &document);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.error, TransferError::NoAnswer) << result.systemError;
    EXPECT_GE(waited, std::chrono::seconds(25));
    EXPECT_LT(waited, std::chrono::seconds(50));
}

}  // namespace
