#include "support/tcp_forwarder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace server::testing {

TcpForwarder::TcpForwarder(std::string unixSocketPath) : target_(std::move(unixSocketPath)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

TcpForwarder::~TcpForwarder() {
    stopping_ = true;
    if (wake_[1] >= 0) (void)::write(wake_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    ClosePairs();
    for (int descriptor : {listener_, wake_[0], wake_[1]}) {
        if (descriptor >= 0) ::close(descriptor);
    }
}

void TcpForwarder::Cut() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cut_ = true;
        cutRequested_ = true;
    }
    (void)::write(wake_[1], "x", 1);
    // Wait until the forwarding thread has closed what was open.
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!cutRequested_) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void TcpForwarder::Resume() { cut_ = false; }

void TcpForwarder::ClosePairs() {
    for (Pair& pair : pairs_) {
        ::close(pair.client);
        ::close(pair.database);
    }
    pairs_.clear();
}

void TcpForwarder::Run() {
    while (!stopping_) {
        std::vector<pollfd> watched = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        for (const Pair& pair : pairs_) {
            watched.push_back({pair.client, POLLIN, 0});
            watched.push_back({pair.database, POLLIN, 0});
        }
        if (::poll(watched.data(), watched.size(), 1000) <= 0) continue;
        if (watched[1].revents) {
            char drained[16];
            (void)::read(wake_[0], drained, sizeof drained);
            std::lock_guard<std::mutex> lock(mutex_);
            if (cutRequested_) {
                ClosePairs();
                cutRequested_ = false;
            }
            continue;
        }
        if (watched[0].revents) {
            int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0 && cut_) {
                ::close(client);
            } else if (client >= 0) {
                int database = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                std::strncpy(address.sun_path, target_.c_str(), sizeof address.sun_path - 1);
                if (::connect(database, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                    pairs_.push_back({client, database});
                } else {
                    ::close(client);
                    ::close(database);
                }
            }
        }
        // Bytes one way or the other; a pair whose one side ends is closed whole.
        for (size_t i = 2; i < watched.size(); ++i) {
            Pair& pair = pairs_[(i - 2) / 2];
            if (!watched[i].revents || pair.client < 0) continue;
            int from = watched[i].fd, to = from == pair.client ? pair.database : pair.client;
            char buffer[16384];
            ssize_t got = ::recv(from, buffer, sizeof buffer, 0);
            if (got <= 0 || ::send(to, buffer, static_cast<size_t>(got), MSG_NOSIGNAL) != got) {
                ::close(pair.client);
                ::close(pair.database);
                pair.client = pair.database = -1;
            }
        }
        std::erase_if(pairs_, [](const Pair& pair) { return pair.client < 0; });
    }
}

}  // namespace server::testing
