#include "support/loopback_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace server::testing {

LoopbackClient::LoopbackClient(uint16_t port, const char* from) {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket_ < 0) return;
    int on = 1;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (from) {
        sockaddr_in source{};
        source.sin_family = AF_INET;
        if (inet_pton(AF_INET, from, &source.sin_addr) != 1 ||
            ::bind(socket_, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
            ::close(socket_);
            socket_ = -1;
            return;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

LoopbackClient::~LoopbackClient() {
    if (socket_ >= 0) ::close(socket_);
}

bool LoopbackClient::Send(std::string_view bytes) {
    if (socket_ < 0) return false;
    ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return sent == static_cast<ssize_t>(bytes.size());
}

std::string LoopbackClient::Receive(std::chrono::milliseconds wait, std::chrono::milliseconds quiet) {
    std::string received;
    if (socket_ < 0) return received;
    std::chrono::milliseconds timeout = wait;
    for (;;) {
        pollfd ready{socket_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) break;
        char buffer[8192];
        ssize_t length = ::recv(socket_, buffer, sizeof buffer, 0);
        if (length <= 0) break;
        received.append(buffer, static_cast<size_t>(length));
        timeout = quiet;
    }
    return received;
}

std::string LoopbackClient::ReceiveAtLeast(size_t length, std::chrono::milliseconds wait) {
    std::string received;
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (socket_ >= 0 && received.size() < length) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{socket_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[8192];
        ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        received.append(buffer, static_cast<size_t>(got));
    }
    return received;
}

bool LoopbackClient::ClosedByPeer(std::chrono::milliseconds wait) {
    if (socket_ < 0) return true;
    auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{socket_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[4096];
        ssize_t length = ::recv(socket_, buffer, sizeof buffer, 0);
        if (length == 0 || (length < 0 && errno == ECONNRESET)) return true;
    }
}

std::string LoopbackClient::Request(std::string_view command, std::string_view field) {
    return std::string(command) + "\r\n" + std::string(field);
}

std::string LoopbackClient::Request(std::string_view command, std::string_view first, std::string_view second) {
    return std::string(command) + "\r\n" + std::string(first) + "\r\n" + std::string(second);
}

}  // namespace server::testing
