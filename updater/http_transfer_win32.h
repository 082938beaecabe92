// HTTP for the updater over WinINet: the update document into memory (with a
// size limit) and listed files streamed to disk, resumed with a Range request.
// Every wait is bounded by the time-outs the launcher's downloads use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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
};

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

private:
    void* session_ = nullptr;
};

// The buffer each read of a download fills.
constexpr uint32_t kDownloadChunk = 256 * 1024;

}  // namespace updater
