#include "server/http_request.h"

#include <algorithm>

namespace server {

namespace {

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool IsVisible(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte < 0x7F;
    });
}

}  // namespace

size_t FindHttpHeadEnd(std::string_view received) {
    for (size_t lineFeed = received.find('\n'); lineFeed != std::string_view::npos;
         lineFeed = received.find('\n', lineFeed + 1)) {
        std::string_view next = received.substr(lineFeed + 1);
        if (next.starts_with('\n')) return lineFeed + 2;
        if (next.starts_with("\r\n")) return lineFeed + 3;
    }
    return 0;
}

HttpParseStatus ParseHttpRequestLine(std::string_view head, HttpRequestLine& line) {
    std::string_view first = head.substr(0, head.find('\n'));
    if (first.ends_with('\r')) first.remove_suffix(1);

    size_t space1 = first.find(' ');
    if (space1 == std::string_view::npos) return HttpParseStatus::Malformed;
    size_t space2 = first.find(' ', space1 + 1);
    if (space2 == std::string_view::npos || first.find(' ', space2 + 1) != std::string_view::npos) {
        return HttpParseStatus::Malformed;
    }
    std::string_view method = first.substr(0, space1);
    std::string_view target = first.substr(space1 + 1, space2 - space1 - 1);
    std::string_view version = first.substr(space2 + 1);
    if (!IsToken(method) || target.empty() || !IsVisible(target)) return HttpParseStatus::Malformed;
    if (!version.starts_with("HTTP/")) return HttpParseStatus::Malformed;
    if (version != "HTTP/1.0" && version != "HTTP/1.1") return HttpParseStatus::UnsupportedVersion;

    // A proxy-style request names the whole URL: keep only its path.
    if (target.starts_with("http://") || target.starts_with("https://")) {
        size_t authority = target.find("//") + 2;
        size_t slash = target.find('/', authority);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    if (target.front() != '/') return HttpParseStatus::Malformed;
    target = target.substr(0, target.find_first_of("?#"));

    line.method = method;
    line.path = target;
    line.version = version;
    return HttpParseStatus::Ok;
}

std::string_view HttpReasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}

}  // namespace server
