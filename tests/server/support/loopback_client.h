// A blocking loopback TCP client for talking to the server byte by byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace server::testing {

class LoopbackClient {
public:
    // Connects to 127.0.0.1; `from` picks another loopback address (127.0.0.2, …) to come from.
    explicit LoopbackClient(uint16_t port, const char* from = nullptr);
    ~LoopbackClient();
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    bool connected() const { return socket_ >= 0; }
    int descriptor() const { return socket_; }

    // Sends the bytes with one send call, as the launcher does.
    bool Send(std::string_view bytes);

    // What arrives until the peer has been quiet for `quiet` after the first byte, or
    // nothing when no byte comes within `wait`.
    std::string Receive(std::chrono::milliseconds wait = std::chrono::milliseconds(3000),
                        std::chrono::milliseconds quiet = std::chrono::milliseconds(20));

    // What arrives until `length` bytes are there, the peer closes, or `wait` has passed.
    std::string ReceiveAtLeast(size_t length, std::chrono::milliseconds wait = std::chrono::milliseconds(10000));

    // Sends a request and returns the reply.
    std::string Exchange(std::string_view request) {
        return Send(request) ? Receive() : std::string();
    }

    // Whether the server closes the connection within `wait` (bytes arriving meanwhile are dropped).
    bool ClosedByPeer(std::chrono::milliseconds wait = std::chrono::milliseconds(3000));

    // A request: the command word and fields joined by CR LF.
    static std::string Request(std::string_view command, std::string_view field);
    static std::string Request(std::string_view command, std::string_view first, std::string_view second);

private:
    int socket_ = -1;
};

}  // namespace server::testing
