// HTTP for the updater over WinINet: the update document into memory (with a
// size limit), listed files streamed to disk, resumed with a Range request,
// and ranges of a file (several in one request where the server allows)
// handed on as they arrive. Every wait is bounded by the time-outs the
// launcher's downloads use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "updater/multipart_ranges.h"

namespace updater {

enum class TransferError {
    None,
    BadUrl,
    NoConnection,   // the server cannot be reached
    NoAnswer,       // connected, but no (whole) answer in time
    Untrusted,      // https: the server's certificate is not trusted (or not for this host)
    BadAnswer,      // not an HTTP answer
    HttpStatus,     // an answer other than 200 (or 206 to a Range request)
    WrongLength,    // the server announces another length than the list gives
    TooLarge,       // a document beyond the limit
    TooManyBytes,   // more bytes than announced
    TooFewBytes,    // the transfer ended early
    DiskWrite,
    Cancelled,
    Stopped,        // the receiver of the bytes stopped the transfer
};

// How a server answered a request for ranges of a file.
enum class RangeAnswer {
    Ranges,      // the ranges asked for
    WholeFile,   // the whole file: the server ignores Range
    NotAsAsked,  // several ranges asked, answered otherwise: nothing was taken; ask for one at a time
};

// Bytes of the file at `offset`; false stops the transfer.
using RangeSink = std::function<bool(uint64_t offset, const char* data, size_t size)>;

struct TransferResult {
    TransferError error = TransferError::None;
    unsigned long systemError = 0;  // WinINet or Windows error code, when one is known
    int httpStatus = 0;
    uint64_t received = 0;          // body bytes received by this request
};

class HttpTransfer {
public:
    HttpTransfer();
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // The body of a 200 answer, at most `limit` bytes.
    TransferResult Fetch(const std::string& url, size_t limit, std::string* body);

    // Appends bytes `offset` .. `size` - 1 of the resource to `file` (an open
    // Windows file handle holding exactly `offset` bytes). A server that
    // ignores the Range request starts the file again. `onBytes` sees every
    // write; returning false cancels.
    TransferResult Download(const std::string& url, void* file, uint64_t offset, uint64_t size,
                            const std::function<bool(uint64_t)>& onBytes);

    // Asks for `ranges` (ascending, apart) of a file of `size` bytes in one
    // request and hands every byte of the answer to `sink`. A server that
    // sends the whole file instead hands it all over from offset 0, unless
    // several ranges were asked of a server that says it takes ranges.
    TransferResult FetchRanges(const std::string& url, const std::vector<AskedRange>& ranges, uint64_t size,
                               const RangeSink& sink, RangeAnswer* answer);

private:
    void* session_ = nullptr;
};

// The buffer each read of a download fills.
constexpr uint32_t kDownloadChunk = 256 * 1024;

}  // namespace updater
