// Reading a server's answer to a Range request: "Content-Range" values, and
// the body of a multipart/byteranges answer (several ranges in one), whose
// parts may come in any order but must each be one of the ranges asked for,
// whole, once. Every byte comes from the server and is treated as hostile:
// header lines and the text around the parts are bounded.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

struct AskedRange {
    uint64_t first = 0;
    uint64_t last = 0;  // inclusive
};

// "bytes FIRST-LAST/TOTAL" (TOTAL may be "*"), for a file of `fileSize` bytes.
std::optional<AskedRange> ParseContentRange(std::string_view text, uint64_t fileSize);

// The boundary of "multipart/byteranges; boundary=..." (quoted or not).
std::optional<std::string> ByteRangesBoundary(std::string_view contentType);

class MultipartRangeReader {
public:
    enum class Status { More, Done, Malformed, NotAsked, Stopped };
    // Bytes of the file at `offset`, in order within each part; false stops the reading.
    using Sink = std::function<bool(uint64_t offset, const char* data, size_t size)>;

    MultipartRangeReader(std::string boundary, std::vector<AskedRange> asked, uint64_t fileSize);

    // The next bytes of the body; More while the closing delimiter has not come.
    Status Feed(const char* data, size_t size, const Sink& sink);
    // At the end of the body: Done only when every range came and the closing delimiter too.
    Status Finish() const;

private:
    enum class State { Preamble, Headers, Body, AfterBody, Delimiter, Epilogue };
    Status Line(std::string_view line);
    Status Fail(Status status) {
        failed_ = status;
        return status;
    }

    std::string boundary_;
    std::vector<AskedRange> asked_;
    std::vector<bool> received_;
    uint64_t fileSize_;
    State state_ = State::Preamble;
    std::string line_;
    size_t lines_ = 0;          // lines read in the current stretch of text
    std::optional<AskedRange> partRange_;
    uint64_t offset_ = 0;       // of the next body byte
    uint64_t remaining_ = 0;    // body bytes of the current part still to come
    size_t epilogue_ = 0;
    Status failed_ = Status::More;
};

}  // namespace updater
