// A server's answer to a Range request for several ranges: parts in any
// order however the bytes are split, and every answer that is not exactly
// the ranges asked for refused.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "updater/multipart_ranges.h"

namespace {

using updater::AskedRange;
using updater::MultipartRangeReader;
using Status = MultipartRangeReader::Status;

const std::string kFile = "0123456789abcdefghijklmnopqrstuvwxyz";  // 36 bytes

std::string Part(uint64_t first, uint64_t last, const std::string& total = "36") {
    return "--XyZ\r\nContent-Type: application/octet-stream\r\nContent-Range: bytes " + std::to_string(first) + "-" +
           std::to_string(last) + "/" + total + "\r\n\r\n" + kFile.substr(first, last - first + 1) + "\r\n";
}
const std::string kEnd = "--XyZ--\r\n";

struct Outcome {
    Status fed = Status::More;
    Status finished = Status::More;
    std::map<uint64_t, std::string> received;  // offset -> bytes, joined where they follow each other
};

Outcome Read(const std::string& body, size_t piece = 1 << 20) {
    MultipartRangeReader reader("XyZ", {{2, 4}, {10, 19}, {30, 35}}, kFile.size());
    Outcome outcome;
    uint64_t next = UINT64_MAX;
    for (size_t at = 0; at < body.size() && outcome.fed != Status::Malformed && outcome.fed != Status::NotAsked;
         at += piece) {
        outcome.fed = reader.Feed(body.data() + at, std::min(piece, body.size() - at),
                                  [&](uint64_t offset, const char* data, size_t size) {
                                      if (offset != next) outcome.received[offset];
                                      auto last = std::prev(outcome.received.upper_bound(offset));
                                      last->second.append(data, size);
                                      next = offset + size;
                                      return true;
                                  });
    }
    outcome.finished = reader.Finish();
    return outcome;
}

TEST(MultipartRanges, ReadsThePartsInAnyOrderHoweverTheBytesArrive) {
    const std::map<uint64_t, std::string> expected = {{2, "234"}, {10, "abcdefghij"}, {30, "uvwxyz"}};
    for (const std::string& body : {"\r\n" + Part(2, 4) + Part(10, 19) + Part(30, 35) + kEnd,
                                    "preamble\r\n" + Part(30, 35) + Part(2, 4) + Part(10, 19, "*") + "--XyZ--"}) {
        for (size_t piece : {size_t(1), size_t(7), body.size()}) {
            Outcome outcome = Read(body, piece);
            EXPECT_EQ(outcome.finished, Status::Done) << piece << body;
            EXPECT_EQ(outcome.received, expected) << piece;
        }
    }
}

TEST(MultipartRanges, RefusesAnswersThatAreNotTheRangesAsked) {
    const std::string good = Part(2, 4) + Part(10, 19);
    struct Case {
        const char* what;
        std::string body;
        Status status;
    } cases[] = {
        {"a range not asked for", good + Part(29, 35) + kEnd, Status::NotAsked},
        {"a range twice", good + Part(2, 4) + kEnd, Status::NotAsked},
        {"a range missing", good + kEnd, Status::Malformed},
        {"no closing delimiter", good + Part(30, 35), Status::Malformed},
        {"another total", good + Part(30, 35, "37") + kEnd, Status::Malformed},
        {"a part without its range", good + "--XyZ\r\nContent-Type: x\r\n\r\nuvwxyz\r\n" + kEnd, Status::Malformed},
        {"two ranges in one part", good + "--XyZ\r\nContent-Range: bytes 30-35/36\r\nContent-Range: bytes 30-35/36\r\n\r\n",
         Status::Malformed},
        {"more bytes than the range", Part(2, 4).insert(Part(2, 4).size() - 2, "5") + kEnd, Status::Malformed},
        {"another boundary", good + Part(30, 35) + "--XyZW--\r\n", Status::Malformed},
        {"a header line without end", good + "--XyZ\r\n" + std::string(5000, 'h'), Status::Malformed},
        {"endless header lines", good + "--XyZ\r\n" + std::string(2000, '\n'), Status::Malformed},
        {"an endless preamble", std::string(100, '\n') + good, Status::Malformed},
        {"an endless epilogue", good + Part(30, 35) + kEnd + std::string(5000, 'e'), Status::Malformed},
        {"a range past the file", good + Part(30, 35).replace(Part(30, 35).find("30-35"), 5, "30-36") + kEnd,
         Status::Malformed},
    };
    for (const Case& c : cases) {
        Outcome outcome = Read(c.body, 13);
        EXPECT_EQ(outcome.finished, c.status) << c.what;
    }
}

TEST(MultipartRanges, ReadsContentRangesAndBoundaries) {
    EXPECT_EQ(updater::ParseContentRange("bytes 0-9/10", 10)->last, 9u);
    EXPECT_EQ(updater::ParseContentRange(" Bytes 3-4/* ", 10)->first, 3u);
    for (const char* bad : {"bytes 0-10/10", "bytes 5-4/10", "bytes 0-9/11", "bytes -9/10", "bytes 0-9", "0-9/10",
                            "bytes 0x1-9/10", "bytes 99999999999999999999-1/10"})
        EXPECT_FALSE(updater::ParseContentRange(bad, 10).has_value()) << bad;
    EXPECT_EQ(updater::ByteRangesBoundary("multipart/byteranges; boundary=XyZ"), "XyZ");
    EXPECT_EQ(updater::ByteRangesBoundary("Multipart/ByteRanges;charset=x; Boundary=\"a b\""), "a b");
    for (const char* bad : {"multipart/mixed; boundary=x", "multipart/byteranges", "multipart/byteranges; boundary=",
                            "application/octet-stream"})
        EXPECT_FALSE(updater::ByteRangesBoundary(bad).has_value()) << bad;
    EXPECT_FALSE(updater::ByteRangesBoundary("multipart/byteranges; boundary=" + std::string(71, 'b')).has_value());
}

}  // namespace
