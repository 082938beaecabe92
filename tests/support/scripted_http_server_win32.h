// A loopback HTTP server on its own thread whose answers a test scripts: each
// request head goes to the answer function, whose bytes are sent as they are
// before the connection closes. An answer of kSilent sends nothing and keeps
// the connection open until the server stops; kEndless + head sends the head
// and then filler bytes for as long as the client reads or the server runs.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rt::testing {

inline const std::string kSilent = "\x01silent";
inline const std::string kEndless = "\x01endless";

class ScriptedHttpServer {
public:
    using Answer = std::function<std::string(const std::string& head)>;

    explicit ScriptedHttpServer(Answer answer);
    ~ScriptedHttpServer() { Stop(); }
    // Stops serving and closes every connection it holds.
    void Stop();

    bool Started() const { return listener_ != INVALID_SOCKET; }
    std::string Url(const std::string& path) const;
    // Request heads received so far, in arrival order.
    std::vector<std::string> Heads();

    // A 200 with Content-Length, or the 206 a Range header asks for.
    static std::string ServeBytes(const std::string& head, const std::string& body);

private:
    void Serve();
    void SendEndlessly(SOCKET client, std::string head);

    Answer answer_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::string> heads_;
    std::vector<SOCKET> held_;
    std::vector<std::thread> streams_;
    std::thread thread_;
};

// Bytes that differ at every position from a simple pattern.
std::string PatternBytes(size_t length, unsigned seed = 1);

}  // namespace rt::testing
