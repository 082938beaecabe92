#include "components/client_socket/socket_window_win32.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace components {
namespace {

constexpr size_t kDrainReadSize = 1024;

// The 16-byte IPv4 address for the text and port; false when it cannot be had.
bool ResolveAddress(const char* address, int32_t port, sockaddr_in* out) {
    if (!address || !address[0]) return false;
    std::memset(out, 0, sizeof *out);
    out->sin_port = htons(static_cast<u_short>(port));
    unsigned long literal = inet_addr(address);
    if (literal != INADDR_NONE) {
        out->sin_family = AF_INET;
        out->sin_addr.s_addr = literal;
        return true;
    }
    hostent* host = gethostbyname(address);
    if (!host || !host->h_addr_list || !host->h_addr_list[0]) return false;
    size_t length = static_cast<size_t>(host->h_length);
    if (length > sizeof out->sin_addr) length = sizeof out->sin_addr;
    std::memcpy(&out->sin_addr, host->h_addr_list[0], length);
    out->sin_family = static_cast<short>(host->h_addrtype);
    return true;
}

}  // namespace

SocketWindow::SocketWindow() {
    WSADATA data;
    winsockReady_ = WSAStartup(0x0101, &data) == 0;
}

SocketWindow::~SocketWindow() {
    if (socket_ != INVALID_SOCKET) CloseProcedure();
    if (winsockReady_) WSACleanup();
}

void SocketWindow::CloseProcedure() {
    if (notificationWindow_ && IsWindow(notificationWindow_)) {
        WSAAsyncSelect(socket_, notificationWindow_, 0, 0);
        KillTimer(notificationWindow_, kResumeReadingTimer);
    }
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
    readingDeferred_ = false;
    closePending_ = false;
}

bool SocketWindow::CreateSocket() {
    if (!winsockReady_) return false;
    if (socket_ != INVALID_SOCKET) CloseProcedure();
    peerClosed_ = false;
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    return socket_ != INVALID_SOCKET;
}

void SocketWindow::Disconnect() {
    if (socket_ != INVALID_SOCKET) CloseProcedure();
    connected_ = false;
}

bool SocketWindow::Connect(const char* address, int32_t port) {
    if (!CreateSocket()) return false;
    if (port < 1) port = 1;
    sockaddr_in peer;
    if (!ResolveAddress(address, port, &peer)) return false;
    // Blocking: the caller waits for the handshake, as the player waits at start.
    int connectResult = connect(socket_, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    int selectResult = connectResult == SOCKET_ERROR
                           ? SOCKET_ERROR
                           : WSAAsyncSelect(socket_, notificationWindow_, kSocketNotify, FD_READ | FD_CLOSE);
    if (connectResult == SOCKET_ERROR || selectResult == SOCKET_ERROR) {
        Disconnect();
        return false;
    }
    connected_ = true;
    return true;
}

bool SocketWindow::Send(const uint8_t* bytes, int64_t length, int timeoutSeconds) {
    // After the peer's close a send may still be taken by the local stack and lost
    // on the way; the caller must hear that nothing will arrive.
    if (socket_ == INVALID_SOCKET || !connected_ || peerClosed_) return false;
    if (length < 0) return false;
    if (length == 0) return true;
    if (timeoutSeconds >= 0) {
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(socket_, &writable);
        timeval wait{timeoutSeconds, 0};
        if (select(0, nullptr, &writable, nullptr, &wait) != 1) return false;
    }
    int64_t sent = 0;
    while (sent < length) {
        int chunk = static_cast<int>(length - sent > 0x7FFFFFFF ? 0x7FFFFFFF : length - sent);
        int count = send(socket_, reinterpret_cast<const char*>(bytes + sent), chunk, 0);
        if (count == SOCKET_ERROR) return false;
        sent += count;
    }
    return true;
}

LRESULT SocketWindow::HandleNotification(WPARAM wParam, LPARAM lParam) {
    if (socket_ == INVALID_SOCKET) return 0;
    if (WSAGETSELECTEVENT(lParam) == FD_CLOSE) {
        // A notice left over from a socket that a new connection replaced is not about this one.
        if (static_cast<SOCKET>(wParam) == socket_) peerClosed_ = true;
        // Bytes still waiting for the resume timer came before the close: they are raised first.
        if (readingDeferred_) {
            closePending_ = true;
            return 0;
        }
        OnClosed();
        return 0;
    }
    // Without a read here Winsock posts no further notice, so a flood cannot
    // keep the queue full; the resume timer reads on.
    if (readingDeferred_) return 0;
    Drain(static_cast<SOCKET>(wParam));
    return 0;
}

void SocketWindow::ResumeReading() {
    if (notificationWindow_) KillTimer(notificationWindow_, kResumeReadingTimer);
    if (!readingDeferred_ || socket_ == INVALID_SOCKET) return;
    readingDeferred_ = false;
    Drain(socket_);
    if (closePending_ && !readingDeferred_ && socket_ != INVALID_SOCKET) {
        closePending_ = false;
        OnClosed();
    }
}

void SocketWindow::DeferReading() {
    readingDeferred_ = true;
    // A timer ticks only once input and paints are handled, so the window stays alive under a flood.
    if (arrivalNesting_ < kDeepestArrivalNesting && notificationWindow_)
        SetTimer(notificationWindow_, kResumeReadingTimer, USER_TIMER_MINIMUM, nullptr);
}

void SocketWindow::Drain(SOCKET notified) {
    if (arrivalNesting_ >= kDeepestArrivalNesting) {
        DeferReading();  // resumed when a dispatch returns
        return;
    }
    u_long waiting = 0;
    if (ioctlsocket(notified, FIONREAD, &waiting) == SOCKET_ERROR) return;
    size_t readSize = waiting < 1 ? 1 : waiting > kLargestArrival ? kLargestArrival : waiting;
    std::string accumulated;
    std::vector<char> scratch;
    for (;;) {
        scratch.resize(readSize);
        int count = recv(notified, scratch.data(), static_cast<int>(readSize), 0);
        if (count == SOCKET_ERROR || count == 0) break;
        accumulated.append(scratch.data(), static_cast<size_t>(count));
        if (accumulated.size() >= kLargestArrival) {
            DeferReading();
            break;
        }
        readSize = std::min<size_t>(kDrainReadSize, kLargestArrival - accumulated.size());
    }
    if (!accumulated.empty()) DeliverArrival(accumulated);
}

void SocketWindow::DeliverArrival(std::string& buffer) {
    ++arrivalNesting_;
    OnDataArrived(buffer);
    --arrivalNesting_;
    if (readingDeferred_ && arrivalNesting_ < kDeepestArrivalNesting) DeferReading();
}

}  // namespace components
