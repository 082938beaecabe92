// Fetching ranges of a file under Wine against a scripted server: several
// ranges in one multipart answer, a server that sends the whole file or
// refuses that many ranges, and answers that are not what was asked.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/scripted_http_server_win32.h"
#include "updater/http_transfer_win32.h"

namespace {

using rt::testing::ScriptedHttpServer;
using updater::AskedRange;
using updater::HttpTransfer;
using updater::RangeAnswer;
using updater::TransferError;

const std::string kFile = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string Multipart(const std::vector<AskedRange>& parts) {
    std::string body;
    for (const AskedRange& part : parts) {
        body += "--b0undary\r\nContent-Range: bytes " + std::to_string(part.first) + "-" + std::to_string(part.last) +
                "/36\r\n\r\n" + kFile.substr(part.first, part.last - part.first + 1) + "\r\n";
    }
    body += "--b0undary--\r\n";
    return "HTTP/1.1 206 Partial Content\r\nContent-Type: multipart/byteranges; boundary=b0undary\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct Fetched {
    updater::TransferResult result;
    RangeAnswer answer = RangeAnswer::Ranges;
    std::map<uint64_t, std::string> bytes;  // offset -> bytes, joined where they follow each other
    std::vector<std::string> heads;
};

Fetched FetchFrom(const std::string& answer, const std::vector<AskedRange>& asked, bool stopAtOnce = false) {
    ScriptedHttpServer server([&](const std::string&) { return answer; });
    Fetched fetched;
    uint64_t next = UINT64_MAX;
    fetched.result = HttpTransfer().FetchRanges(
        server.Url("/a.dat"), asked, kFile.size(),
        [&](uint64_t offset, const char* data, size_t size) {
            if (offset != next) fetched.bytes[offset];
            std::prev(fetched.bytes.upper_bound(offset))->second.append(data, size);
            next = offset + size;
            return !stopAtOnce;
        },
        &fetched.answer);
    fetched.heads = server.Heads();
    return fetched;
}

TEST(RangeFetch, SeveralRangesComeInOneMultipartAnswer) {
    Fetched fetched = FetchFrom(Multipart({{10, 19}, {2, 4}}), {{2, 4}, {10, 19}});
    EXPECT_EQ(fetched.result.error, TransferError::None);
    EXPECT_EQ(fetched.answer, RangeAnswer::Ranges);
    EXPECT_EQ(fetched.bytes, (std::map<uint64_t, std::string>{{2, "234"}, {10, "abcdefghij"}}));
    ASSERT_EQ(fetched.heads.size(), 1u);
    EXPECT_NE(fetched.heads[0].find("\r\nRange: bytes=2-4,10-19\r\n"), std::string::npos) << fetched.heads[0];

    fetched = FetchFrom("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 5-7/36\r\nContent-Length: 3\r\n\r\n567",
                        {{5, 7}});
    EXPECT_EQ(fetched.result.error, TransferError::None);
    EXPECT_EQ(fetched.bytes, (std::map<uint64_t, std::string>{{5, "567"}}));
}

TEST(RangeFetch, AServerThatSendsTheWholeFileOrRefusesThatManyRanges) {
    const std::string whole = "HTTP/1.1 200 OK\r\nContent-Length: 36\r\n\r\n" + kFile;
    Fetched fetched = FetchFrom(whole, {{2, 4}, {10, 19}});
    EXPECT_EQ(fetched.answer, RangeAnswer::WholeFile);
    EXPECT_EQ(fetched.result.error, TransferError::None);
    EXPECT_EQ(fetched.bytes, (std::map<uint64_t, std::string>{{0, kFile}}));

    // It says it takes ranges: it refused that many, and nothing of the file is taken.
    fetched = FetchFrom("HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Length: 36\r\n\r\n" + kFile,
                        {{2, 4}, {10, 19}});
    EXPECT_EQ(fetched.answer, RangeAnswer::NotAsAsked);
    EXPECT_TRUE(fetched.bytes.empty());
    fetched = FetchFrom("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 2-19/36\r\nContent-Length: 18\r\n\r\n" +
                            kFile.substr(2, 18),
                        {{2, 4}, {10, 19}});
    EXPECT_EQ(fetched.answer, RangeAnswer::NotAsAsked);
    EXPECT_TRUE(fetched.bytes.empty());
}

TEST(RangeFetch, AnswersThatAreNotWhatWasAskedAreRefused) {
    struct Case {
        const char* what;
        std::string answer;
        std::vector<AskedRange> asked;
        TransferError error;
    } cases[] = {
        {"a part not asked for", Multipart({{2, 4}, {11, 19}}), {{2, 4}, {10, 19}}, TransferError::WrongLength},
        {"a part missing", Multipart({{2, 4}}), {{2, 4}, {10, 19}}, TransferError::WrongLength},
        {"another single range",
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 6-8/36\r\nContent-Length: 3\r\n\r\n678", {{5, 7}},
         TransferError::WrongLength},
        {"a whole file of another size", "HTTP/1.1 200 OK\r\nContent-Length: 37\r\n\r\n" + kFile + "!", {{5, 7}},
         TransferError::WrongLength},
        {"a whole file cut short", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + kFile.substr(0, 20), {{5, 7}},
         TransferError::TooFewBytes},
        {"a range past the end", "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n", {{5, 7}},
         TransferError::HttpStatus},
    };
    for (const Case& c : cases) {
        Fetched fetched = FetchFrom(c.answer, c.asked);
        EXPECT_EQ(fetched.result.error, c.error) << c.what;
        for (const auto& [offset, bytes] : fetched.bytes) EXPECT_EQ(bytes, kFile.substr(offset, bytes.size())) << c.what;
    }
    Fetched stopped = FetchFrom(Multipart({{2, 4}, {10, 19}}), {{2, 4}, {10, 19}}, true);
    EXPECT_EQ(stopped.result.error, TransferError::Stopped);
    EXPECT_EQ(stopped.bytes.size(), 1u);
}

}  // namespace
