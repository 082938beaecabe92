#include "server/static_file_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <asio/write.hpp>
#include <climits>
#include <cstdlib>
#include <random>

#include "common/hex.h"
#include "server/http_request.h"

namespace server {
namespace {

std::string_view ContentType(std::string_view path) {
    if (path.ends_with(".xml")) return "text/xml; charset=gbk";
    if (path.ends_with(".ini") || path.ends_with(".txt")) return "text/plain; charset=gbk";
    return "application/octet-stream";
}

// The file's real path lies below the root's: a link may not lead elsewhere.
bool InsideRoot(const std::string& root, const std::string& file) {
    char rootReal[PATH_MAX], fileReal[PATH_MAX];
    if (!realpath(root.c_str(), rootReal) || !realpath(file.c_str(), fileReal)) return false;
    std::string prefix = std::string(rootReal) + (std::string_view(rootReal) == "/" ? "" : "/");
    return std::string_view(fileReal).starts_with(prefix);
}

// A boundary that the bytes of a part are all but certain not to contain.
std::string NewBoundary() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::string boundary = "lumadrel-";
    for (int i = 0; i < 24; ++i) boundary += common::kLowerHexDigits[random() & 15];
    return boundary;
}

std::string RangeText(const ByteRange& range) {
    return std::to_string(range.first) + "-" + std::to_string(range.last);
}

}  // namespace

void StaticFileTransfer::Start(asio::ip::tcp::socket socket, ConnectionSlot slot, const StaticSite& site,
                               std::string_view head, std::string_view method, std::string_view path,
                               const ServerLog& log, std::string peer, ServerMetrics& metrics) {
    auto transfer = std::make_shared<StaticFileTransfer>(std::move(socket), std::move(slot), site, log,
                                                         std::move(peer), metrics);
    transfer->summary_ = std::string(method) + " " + std::string(path);
    transfer->Answer(head, method == "HEAD", path);
}

StaticFileTransfer::StaticFileTransfer(asio::ip::tcp::socket socket, ConnectionSlot slot, StaticSite site,
                                       const ServerLog& log, std::string peer, ServerMetrics& metrics)
    : socket_(std::move(socket)), slot_(std::move(slot)), deadline_(socket_.get_executor()), site_(std::move(site)),
      log_(log), peer_(std::move(peer)), metrics_(metrics) {}

StaticFileTransfer::~StaticFileTransfer() {
    if (file_ >= 0) close(file_);
}

void StaticFileTransfer::Answer(std::string_view head, bool headOnly, std::string_view path) {
    std::string file;
    StaticPathStatus found = StaticFilePath(site_.root, path, &file);
    if (found == StaticPathStatus::Malformed) return Refuse(400, "Bad request.\r\n", headOnly);
    if (found != StaticPathStatus::Ok) return Refuse(404, "Not found.\r\n", headOnly);
    file_ = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat facts {};
    if (file_ < 0 || fstat(file_, &facts) != 0 || !S_ISREG(facts.st_mode) || !InsideRoot(site_.root, file))
        return Refuse(404, "Not found.\r\n", headOnly);

    const uint64_t size = static_cast<uint64_t>(facts.st_size);
    std::vector<ByteRange> ranges;
    std::optional<std::string_view> rangeHeader = FindHeader(head, "Range");
    RangeStatus ranged =
        rangeHeader ? ParseRanges(*rangeHeader, size, site_.mostRanges, &ranges) : RangeStatus::Whole;
    if (ranged == RangeStatus::Unsatisfiable) {
        return WriteHead(416, 0, "Content-Range: bytes */" + std::to_string(size) + "\r\n");
    }
    if (ranged == RangeStatus::Several) return AnswerRanges(ranges, size, ContentType(path), headOnly);
    std::string extra = "Content-Type: " + std::string(ContentType(path)) + "\r\n" +
                        (site_.mostRanges > 0 ? "Accept-Ranges: bytes\r\n" : "Accept-Ranges: none\r\n");
    ByteRange range = ranged == RangeStatus::Partial ? ranges.front() : ByteRange{0, size == 0 ? 0 : size - 1};
    uint64_t length = size == 0 ? 0 : range.last - range.first + 1;
    if (ranged == RangeStatus::Partial) {
        extra += "Content-Range: bytes " + RangeText(range) + "/" + std::to_string(size) + "\r\n";
        summary_ += " bytes=" + RangeText(range);
    }
    if (!headOnly && length > 0) pieces_.push_back({{}, range.first, length});
    WriteHead(ranged == RangeStatus::Partial ? 206 : 200, length, extra);
}

void StaticFileTransfer::AnswerRanges(const std::vector<ByteRange>& ranges, uint64_t size, std::string_view type,
                                      bool headOnly) {
    const std::string boundary = NewBoundary();
    uint64_t length = 0;
    summary_ += " bytes=";
    for (size_t i = 0; i < ranges.size(); ++i) {
        summary_ += (i ? "," : "") + RangeText(ranges[i]);
        // Every part head begins with CRLF: common clients look for the first boundary after one.
        std::string partHead = "\r\n--" + boundary + "\r\nContent-Type: " + std::string(type) +
                               "\r\nContent-Range: bytes " + RangeText(ranges[i]) + "/" + std::to_string(size) +
                               "\r\n\r\n";
        const uint64_t bytes = ranges[i].last - ranges[i].first + 1;
        length += partHead.size() + bytes;
        pieces_.push_back({std::move(partHead), 0, 0});
        pieces_.push_back({{}, ranges[i].first, bytes});
    }
    std::string closing = "\r\n--" + boundary + "--\r\n";
    length += closing.size();
    pieces_.push_back({std::move(closing), 0, 0});
    if (headOnly) pieces_.clear();
    WriteHead(206, length, "Content-Type: multipart/byteranges; boundary=" + boundary + "\r\nAccept-Ranges: bytes\r\n");
}

void StaticFileTransfer::Refuse(int status, std::string_view body, bool headOnly) {
    WriteHead(status, body.size(), "Content-Type: text/plain; charset=us-ascii\r\n",
              headOnly ? std::string() : std::string(body));
}

void StaticFileTransfer::WriteHead(int status, uint64_t length, std::string_view extraHeaders, std::string body) {
    status_ = status;
    response_ = "HTTP/1.1 " + std::to_string(status) + " " + std::string(HttpReasonPhrase(status)) + "\r\n";
    response_ += extraHeaders;
    response_ +=
        "Content-Length: " + std::to_string(length) + "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
    response_ += body;
    ArmDeadline();
    asio::async_write(socket_, asio::buffer(response_),
                      [self = shared_from_this()](const std::error_code& error, size_t n) {
                          self->metrics_.AddHttpBytes(n);
                          if (error) return self->Finish("aborted: " + error.message());
                          self->WriteNextChunk();
                      });
}

void StaticFileTransfer::WriteNextChunk() {
    if (pieces_.empty()) {
        std::error_code ignored;
        socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
        return Finish("sent " + std::to_string(sent_));
    }
    Piece& piece = pieces_.front();
    ArmDeadline();
    auto sent = [self = shared_from_this()](const std::error_code& error, size_t n) { self->Sent(error, n); };
    if (!piece.text.empty()) return asio::async_write(socket_, asio::buffer(piece.text), sent);
    chunk_.resize(static_cast<size_t>(std::min<uint64_t>(piece.length, kChunkBytes)));
    ssize_t read = pread(file_, chunk_.data(), chunk_.size(), static_cast<off_t>(piece.offset));
    if (read <= 0) return Finish("aborted: the file ended early after " + std::to_string(sent_));
    chunk_.resize(static_cast<size_t>(read));
    asio::async_write(socket_, asio::buffer(chunk_), sent);
}

void StaticFileTransfer::Sent(const std::error_code& error, size_t n) {
    sent_ += n;
    metrics_.AddHttpBytes(n);
    if (error) return Finish("aborted after " + std::to_string(sent_) + ": " + error.message());
    Piece& piece = pieces_.front();
    if (piece.text.empty()) {
        piece.offset += n;
        piece.length -= n;
    }
    if (!piece.text.empty() || piece.length == 0) pieces_.pop_front();
    WriteNextChunk();
}

void StaticFileTransfer::Finish(const std::string& how) {
    if (finished_) return;
    finished_ = true;
    deadline_.cancel();
    log_.Write(peer_ + " http " + summary_ + " " + std::to_string(status_) + " " + how);
    std::error_code ignored;
    socket_.close(ignored);
}

void StaticFileTransfer::ArmDeadline() {
    deadline_.expires_after(kIdleLimit);
    deadline_.async_wait([self = shared_from_this()](const std::error_code& error) {
        if (!error) self->Finish("aborted after " + std::to_string(self->sent_) + ": the client took nothing in time");
    });
}

}  // namespace server
