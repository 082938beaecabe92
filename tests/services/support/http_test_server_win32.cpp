#include "support/http_test_server_win32.h"

#include <cstdio>

namespace services::testing {
namespace {

std::string Body(size_t length) {
    std::string body(length, '\0');
    for (size_t i = 0; i < length; ++i) body[i] = BodyByte(i);
    return body;
}

}  // namespace

std::string HttpTestServer::Answer(const std::string& head) {
    char path[512] = {};
    std::sscanf(head.c_str(), "%*s %511s", path);
    unsigned long long first = 0, second = 0;
    if (std::sscanf(path, "/length/%llu", &first) == 1)
        return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(first) + "\r\n\r\n" + Body(first);
    if (std::sscanf(path, "/nolength/%llu", &first) == 1) return "HTTP/1.0 200 OK\r\n\r\n" + Body(first);
    if (std::sscanf(path, "/short/%llu/%llu", &first, &second) == 2)
        return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(first) + "\r\n\r\n" + Body(second);
    if (std::string(path) == "/silent") return rt::testing::kSilent;
    if (std::sscanf(path, "/endless/%llu", &first) == 1)
        return rt::testing::kEndless + "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(first) + "\r\n\r\n";
    if (std::string(path) == "/endless") return rt::testing::kEndless + "HTTP/1.0 200 OK\r\n\r\n";
    return "HTTP/1.0 404 Not Found\r\nContent-Length: 16\r\n\r\nno such document";
}

}  // namespace services::testing
