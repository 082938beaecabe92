// The request line of an HTTP/1.0 or HTTP/1.1 request.
#pragma once

#include <cstddef>
#include <string_view>

namespace server {

enum class HttpParseStatus { Ok, Malformed, UnsupportedVersion };

struct HttpRequestLine {
    std::string_view method;
    std::string_view path;     // without scheme, authority or query
    std::string_view version;  // "HTTP/1.0" or "HTTP/1.1"
};

// The length of the request head in `received` up to and including the empty line that
// ends it, or 0 while that line has not arrived. Lines may end in CR LF or a bare LF.
size_t FindHttpHeadEnd(std::string_view received);

// Reads the first line of `head` (the bytes before the blank line). The views point into `head`.
HttpParseStatus ParseHttpRequestLine(std::string_view head, HttpRequestLine& line);

// The reason phrase of a status line for each status the server's HTTP ports answer with.
std::string_view HttpReasonPhrase(int status);

}  // namespace server
