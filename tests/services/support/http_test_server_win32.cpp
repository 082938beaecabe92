#include "support/http_test_server_win32.h"

#include <cstdio>
#include <cstdlib>

namespace services::testing {
namespace {

std::string Body(size_t length) {
    std::string body(length, '\0');
    for (size_t i = 0; i < length; ++i) body[i] = BodyByte(i);
    return body;
}

void SendAll(SOCKET client, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int n = send(client, data.data() + sent, static_cast<int>(std::min<size_t>(data.size() - sent, 65536)), 0);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

std::string ReadHead(SOCKET client) {
    // A client that never completes its head (a secure handshake) is given up.
    DWORD wait = 2000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<size_t>(n));
    }
    return head;
}

}  // namespace

HttpTestServer::HttpTestServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    for (SOCKET held : held_) closesocket(held);
    WSACleanup();
}

std::string HttpTestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> HttpTestServer::Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpTestServer::Serve() {
    while (!stopping_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener_, &readable);
        timeval wait{0, 50000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        std::string head = ReadHead(client);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(head);
        }
        Answer(client, head);
    }
}

void HttpTestServer::Answer(SOCKET client, const std::string& head) {
    char path[512] = {};
    std::sscanf(head.c_str(), "%*s %511s", path);
    unsigned long first = 0, second = 0;
    std::string reply;
    if (std::sscanf(path, "/length/%lu", &first) == 1) {
        reply = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(first) + "\r\n\r\n" + Body(first);
    } else if (std::sscanf(path, "/nolength/%lu", &first) == 1) {
        reply = "HTTP/1.0 200 OK\r\n\r\n" + Body(first);
    } else if (std::sscanf(path, "/short/%lu/%lu", &first, &second) == 2) {
        reply = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(first) + "\r\n\r\n" + Body(second);
    } else if (std::string(path) == "/silent") {
        held_.push_back(client);
        return;
    } else {
        reply = "HTTP/1.0 404 Not Found\r\nContent-Length: 16\r\n\r\nno such document";
    }
    SendAll(client, reply);
    shutdown(client, SD_SEND);
    // Whatever the client still sends is read, so closing does not reset the reply.
    DWORD wait = 1000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
    char drain[1024];
    while (recv(client, drain, sizeof drain, 0) > 0) {
    }
    closesocket(client);
}

}  // namespace services::testing
