#include "support/scripted_http_server_win32.h"

#include <algorithm>
#include <cstdlib>

namespace rt::testing {
namespace {

void SendAll(SOCKET client, const std::string& data) {
    for (size_t sent = 0; sent < data.size();) {
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

// Whatever the client still sends is read before closing, so that the close
// does not reset the connection and lose the answer on its way. A client that
// keeps the connection for another request is not waited for long.
void CloseAfterAnswer(SOCKET client) {
    shutdown(client, SD_SEND);
    DWORD wait = 250;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
    char drain[1024];
    while (recv(client, drain, sizeof drain, 0) > 0) {
    }
    closesocket(client);
}

}  // namespace

std::string PatternBytes(size_t length, unsigned seed) {
    std::string bytes(length, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

ScriptedHttpServer::ScriptedHttpServer(Answer answer) : answer_(std::move(answer)) {
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

void ScriptedHttpServer::Stop() {
    if (stopping_.exchange(true)) return;
    if (thread_.joinable()) thread_.join();
    for (std::thread& stream : streams_) stream.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    for (SOCKET held : held_) closesocket(held);
    WSACleanup();
}

std::string ScriptedHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> ScriptedHttpServer::Heads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return heads_;
}

void ScriptedHttpServer::Serve() {
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
            heads_.push_back(head);
        }
        std::string answer = answer_(head);
        if (answer == kSilent) {
            held_.push_back(client);
            continue;
        }
        if (answer.compare(0, kEndless.size(), kEndless) == 0) {
            streams_.emplace_back(&ScriptedHttpServer::SendEndlessly, this, client, answer.substr(kEndless.size()));
            continue;
        }
        SendAll(client, answer);
        CloseAfterAnswer(client);
    }
}

void ScriptedHttpServer::SendEndlessly(SOCKET client, std::string head) {
    // Short waits for room, so that the server's end is heard while the client reads nothing.
    DWORD wait = 100;
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
    const std::string filler(65536, '9');
    std::string pending = std::move(head);
    while (!stopping_) {
        int n = send(client, pending.data(), static_cast<int>(pending.size()), 0);
        if (n == SOCKET_ERROR) {
            if (WSAGetLastError() == WSAETIMEDOUT) continue;
            break;
        }
        pending = static_cast<size_t>(n) < pending.size() ? pending.substr(static_cast<size_t>(n)) : filler;
    }
    closesocket(client);
}

std::string ScriptedHttpServer::ServeBytes(const std::string& head, const std::string& body) {
    size_t range = head.find("\r\nRange: bytes=");
    if (range == std::string::npos) {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
               body;
    }
    size_t first = std::strtoull(head.c_str() + range + 15, nullptr, 10);
    if (first >= body.size()) return "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n";
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) + "-" +
           std::to_string(body.size() - 1) + "/" + std::to_string(body.size()) +
           "\r\nContent-Length: " + std::to_string(body.size() - first) + "\r\nConnection: close\r\n\r\n" +
           body.substr(first);
}

}  // namespace rt::testing
