#include "updater/http_transfer_win32.h"

#include <windows.h>
#include <wininet.h>

#include <charconv>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "services/http_download.h"

namespace updater {
namespace {

constexpr wchar_t kUserAgent[] = L"Lumadrel updater";
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_PRAGMA_NOCACHE;

void ApplyTimeouts(HINTERNET handle) {
    const services::HttpTimeouts& timeouts = services::kDefaultHttpTimeouts;
    DWORD connect = timeouts.connectMilliseconds, send = timeouts.sendMilliseconds,
          receive = timeouts.receiveMilliseconds;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionW(handle, INTERNET_OPTION_DATA_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionW(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

TransferError ClassifyInternetError(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return TransferError::NoConnection;
    case ERROR_INTERNET_TIMEOUT:
    // Wine reports a receive time-out as an aborted connection.
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
        return TransferError::NoAnswer;
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
        return TransferError::Untrusted;
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
    case ERROR_HTTP_HEADER_NOT_FOUND:
        return TransferError::BadAnswer;
    default:
        return TransferError::NoAnswer;
    }
}

TransferResult Failure(TransferError error, DWORD systemError = 0) {
    TransferResult result;
    result.error = error;
    result.systemError = systemError;
    return result;
}

bool ParseNumber(std::wstring_view text, uint64_t* value) {
    std::string narrow;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        narrow += static_cast<char>(c);
    }
    auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), *value);
    return !narrow.empty() && error == std::errc() && end == narrow.data() + narrow.size();
}

// A header's value as text; false when the answer has none.
bool QueryHeader(HINTERNET request, DWORD which, std::wstring* value) {
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (!HttpQueryInfoW(request, which, text, &size, nullptr)) return false;
    *value = text;
    return true;
}

// "bytes FIRST-LAST/TOTAL" (TOTAL may be "*").
bool RangeMatches(const std::wstring& contentRange, uint64_t offset, uint64_t size) {
    std::wstring_view text = contentRange;
    if (!text.starts_with(L"bytes ")) return false;
    text.remove_prefix(6);
    size_t dash = text.find(L'-'), slash = text.find(L'/');
    if (dash == std::wstring_view::npos || slash == std::wstring_view::npos || slash < dash) return false;
    uint64_t first = 0, last = 0, total = 0;
    if (!ParseNumber(text.substr(0, dash), &first) || !ParseNumber(text.substr(dash + 1, slash - dash - 1), &last))
        return false;
    std::wstring_view totalText = text.substr(slash + 1);
    if (totalText != L"*" && (!ParseNumber(totalText, &total) || total != size)) return false;
    return first == offset && last + 1 == size;
}

// An open request whose answer has arrived; closes its handles.
class Request {
public:
    ~Request() {
        if (request_) InternetCloseHandle(request_);
        if (connection_) InternetCloseHandle(connection_);
    }

    TransferResult Send(HINTERNET session, const std::string& url, const std::wstring& headers) {
        if (!session) return Failure(TransferError::NoConnection, GetLastError());
        std::wstring wideUrl(url.begin(), url.end());
        wchar_t host[256] = {}, path[4096] = {};
        URL_COMPONENTSW parts{};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = 255;
        parts.lpszUrlPath = path;
        parts.dwUrlPathLength = 4095;
        if (!InternetCrackUrlW(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts) ||
            (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || !host[0])
            return Failure(TransferError::BadUrl);
        const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

        connection_ = InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
        if (!connection_) return Failure(TransferError::NoConnection, GetLastError());
        ApplyTimeouts(connection_);
        const wchar_t* acceptTypes[] = {L"*/*", nullptr};
        request_ = HttpOpenRequestW(connection_, L"GET", path[0] ? path : L"/", L"HTTP/1.1", nullptr, acceptTypes,
                                    kRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0), 0);
        if (!request_) return Failure(TransferError::NoConnection, GetLastError());
        // A connection's time-outs are not always inherited by its requests.
        ApplyTimeouts(request_);
        if (!HttpSendRequestW(request_, headers.empty() ? nullptr : headers.c_str(),
                              static_cast<DWORD>(headers.size()), nullptr, 0)) {
            DWORD error = GetLastError();
            return Failure(ClassifyInternetError(error), error);
        }
        DWORD status = 0, size = sizeof status;
        if (!HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            return Failure(TransferError::BadAnswer, GetLastError());
        TransferResult result;
        result.httpStatus = static_cast<int>(status);
        return result;
    }

    // The announced body length, when the answer gives one.
    bool ContentLength(uint64_t* length) const {
        std::wstring text;
        return QueryHeader(request_, HTTP_QUERY_CONTENT_LENGTH, &text) && ParseNumber(text, length);
    }
    bool ContentRange(std::wstring* text) const { return QueryHeader(request_, HTTP_QUERY_CONTENT_RANGE, text); }
    std::string Header(DWORD which) const {
        std::wstring text;
        return QueryHeader(request_, which, &text) ? std::string(text.begin(), text.end()) : std::string();
    }

    // Reads the body to its end, handing each piece to `take` (false from it stops the transfer).
    void ReadAll(TransferResult* result, const std::function<bool(const char*, size_t)>& take) const {
        std::vector<char> buffer(kDownloadChunk);
        for (;;) {
            DWORD read = 0, error = 0;
            if (!Read(buffer.data(), kDownloadChunk, &read, &error)) {
                result->error = error == ERROR_INTERNET_TIMEOUT ? TransferError::NoAnswer : TransferError::TooFewBytes;
                result->systemError = error;
                return;
            }
            if (read == 0) return;
            result->received += read;
            if (!take(buffer.data(), read)) {
                if (result->error == TransferError::None) result->error = TransferError::Stopped;
                return;
            }
        }
    }

    // One read; false with the error when the transfer broke.
    bool Read(char* buffer, DWORD size, DWORD* read, DWORD* error) const {
        *read = 0;
        if (InternetReadFile(request_, buffer, size, read)) return true;
        *error = GetLastError();
        return false;
    }

private:
    HINTERNET connection_ = nullptr;
    HINTERNET request_ = nullptr;
};

bool WriteAll(HANDLE file, const char* bytes, DWORD size, DWORD* error) {
    DWORD written = 0;
    if (WriteFile(file, bytes, size, &written, nullptr) && written == size) return true;
    *error = GetLastError();
    return false;
}

std::wstring RangeHeader(const std::vector<AskedRange>& ranges) {
    std::wstring header = L"Range: bytes=";
    for (size_t i = 0; i < ranges.size(); ++i) {
        header += (i ? L"," : L"") + std::to_wstring(ranges[i].first) + L"-" + std::to_wstring(ranges[i].last);
    }
    return header + L"\r\n";
}

}  // namespace

HttpTransfer::HttpTransfer() {
    session_ = InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session_) ApplyTimeouts(session_);
}

HttpTransfer::~HttpTransfer() {
    if (session_) InternetCloseHandle(session_);
}

TransferResult HttpTransfer::Fetch(const std::string& url, size_t limit, std::string* body) {
    body->clear();
    Request request;
    TransferResult result = request.Send(session_, url, std::wstring());
    if (result.error != TransferError::None) return result;
    if (result.httpStatus != 200) {
        result.error = TransferError::HttpStatus;
        return result;
    }
    uint64_t announced = 0;
    bool hasLength = request.ContentLength(&announced);
    if (hasLength && announced > limit) {
        result.error = TransferError::TooLarge;
        return result;
    }
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0, error = 0;
        if (!request.Read(buffer.data(), static_cast<DWORD>(buffer.size()), &read, &error)) {
            result.error = error == ERROR_INTERNET_TIMEOUT ? TransferError::NoAnswer : TransferError::TooFewBytes;
            result.systemError = error;
            return result;
        }
        if (read == 0) break;
        if (body->size() + read > limit) {
            result.error = TransferError::TooLarge;
            return result;
        }
        body->append(buffer.data(), read);
        result.received += read;
    }
    if (hasLength && result.received != announced) result.error = TransferError::TooFewBytes;
    return result;
}

TransferResult HttpTransfer::Download(const std::string& url, void* fileHandle, uint64_t offset, uint64_t size,
                                      const std::function<bool(uint64_t)>& onBytes) {
    HANDLE file = static_cast<HANDLE>(fileHandle);
    Request request;
    std::wstring headers;
    if (offset > 0) headers = L"Range: bytes=" + std::to_wstring(offset) + L"-\r\n";
    TransferResult result = request.Send(session_, url, headers);
    if (result.error != TransferError::None) return result;

    if (offset > 0 && result.httpStatus == 206) {
        std::wstring range;
        if (!request.ContentRange(&range) || !RangeMatches(range, offset, size)) {
            result.error = TransferError::WrongLength;
            return result;
        }
    } else if (result.httpStatus == 200) {
        // The whole file comes (again): whatever was kept of it goes.
        LARGE_INTEGER start{};
        if (offset > 0 && (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !SetEndOfFile(file))) {
            result.error = TransferError::DiskWrite;
            result.systemError = GetLastError();
            return result;
        }
        offset = 0;
    } else {
        result.error = TransferError::HttpStatus;
        return result;
    }
    uint64_t announced = 0;
    if (request.ContentLength(&announced) && announced != size - offset) {
        result.error = TransferError::WrongLength;
        return result;
    }

    const uint64_t expected = size - offset;
    std::vector<char> buffer(kDownloadChunk);
    for (;;) {
        DWORD read = 0, error = 0;
        if (!request.Read(buffer.data(), kDownloadChunk, &read, &error)) {
            result.error = error == ERROR_INTERNET_TIMEOUT ? TransferError::NoAnswer : TransferError::TooFewBytes;
            result.systemError = error;
            return result;
        }
        if (read == 0) break;
        if (result.received + read > expected) {
            result.error = TransferError::TooManyBytes;
            return result;
        }
        if (!WriteAll(file, buffer.data(), read, &error)) {
            result.error = TransferError::DiskWrite;
            result.systemError = error;
            return result;
        }
        result.received += read;
        if (onBytes && !onBytes(read)) {
            result.error = TransferError::Cancelled;
            return result;
        }
    }
    if (result.received != expected) result.error = TransferError::TooFewBytes;
    return result;
}

TransferResult HttpTransfer::FetchRanges(const std::string& url, const std::vector<AskedRange>& ranges, uint64_t size,
                                         const RangeSink& sink, RangeAnswer* answer) {
    *answer = RangeAnswer::Ranges;
    Request request;
    TransferResult result = request.Send(session_, url, RangeHeader(ranges));
    if (result.error != TransferError::None) return result;
    const bool several = ranges.size() > 1;
    uint64_t announced = 0;
    const bool hasLength = request.ContentLength(&announced);

    if (result.httpStatus == 200) {
        std::string accepts = request.Header(HTTP_QUERY_ACCEPT_RANGES);
        // It takes ranges, but not this many at once.
        if (several && common::EqualIgnoringAsciiCase(accepts, "bytes")) {
            *answer = RangeAnswer::NotAsAsked;
            return result;
        }
        *answer = RangeAnswer::WholeFile;
        if (hasLength && announced != size) {
            result.error = TransferError::WrongLength;
            return result;
        }
        uint64_t at = 0;
        request.ReadAll(&result, [&](const char* data, size_t length) {
            if (at + length > size) {
                result.error = TransferError::TooManyBytes;
                return false;
            }
            at += length;
            return sink(at - length, data, length);
        });
        if (result.error == TransferError::None && at != size) result.error = TransferError::TooFewBytes;
        return result;
    }
    if (result.httpStatus != 206) {
        result.error = TransferError::HttpStatus;
        return result;
    }

    if (std::optional<std::string> boundary = ByteRangesBoundary(request.Header(HTTP_QUERY_CONTENT_TYPE))) {
        MultipartRangeReader reader(*boundary, ranges, size);
        MultipartRangeReader::Status status = MultipartRangeReader::Status::More;
        request.ReadAll(&result, [&](const char* data, size_t length) {
            status = reader.Feed(data, length, sink);
            return status == MultipartRangeReader::Status::More || status == MultipartRangeReader::Status::Done;
        });
        if (status == MultipartRangeReader::Status::Stopped) return result;
        // Parts other than those asked for, or no proper end: the server's file is not the listed one.
        if (result.error == TransferError::Stopped ||
            (result.error == TransferError::None && reader.Finish() != MultipartRangeReader::Status::Done))
            result.error = TransferError::WrongLength;
        return result;
    }
    // One range: it must be the one asked for.
    std::optional<AskedRange> range = ParseContentRange(request.Header(HTTP_QUERY_CONTENT_RANGE), size);
    if (several || !range || range->first != ranges[0].first || range->last != ranges[0].last) {
        if (several) *answer = RangeAnswer::NotAsAsked;
        else result.error = TransferError::WrongLength;
        return result;
    }
    const uint64_t expected = range->last - range->first + 1;
    if (hasLength && announced != expected) {
        result.error = TransferError::WrongLength;
        return result;
    }
    uint64_t at = range->first;
    request.ReadAll(&result, [&](const char* data, size_t length) {
        if (at + length > range->last + 1) {
            result.error = TransferError::TooManyBytes;
            return false;
        }
        at += length;
        return sink(at - length, data, length);
    });
    if (result.error == TransferError::None && at != range->last + 1) result.error = TransferError::TooFewBytes;
    return result;
}

}  // namespace updater
