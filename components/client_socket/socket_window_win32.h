// One TCP connection with Winsock notifications posted to a window: the part
// of the socket client that knows nothing of forms and events.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace components {

constexpr UINT kSocketNotify = 0x8078;
// The timer on the notification window that resumes reading deferred bytes.
constexpr UINT_PTR kResumeReadingTimer = 0x8078;
// At most this many bytes go into one data-arrival event: far above any reply
// of the game protocol, small enough that a peer sending without pause cannot
// grow the buffer or hold the thread.
constexpr size_t kLargestArrival = 64 * 1024;
// Data-arrival events nested in each other's modal loops at most; beyond it
// the bytes wait in the socket until one of them returns.
constexpr int kDeepestArrivalNesting = 8;

// Owns one socket and its own Winsock start-up; the notifications go to the
// window the derived class gives it.
class SocketWindow {
public:
    SocketWindow();
    virtual ~SocketWindow();

    // Closes a socket it already has, then makes a new one.
    virtual bool CreateSocket();
    virtual void OnDataArrived(std::string& buffer) {}
    virtual void OnClosed() {}

    bool Connect(const char* address, int32_t port);
    void Disconnect();
    // Sends every byte (timeoutSeconds < 0 skips the writability wait).
    bool Send(const uint8_t* bytes, int64_t length, int timeoutSeconds);
    // The read drain for a notification.
    LRESULT HandleNotification(WPARAM wParam, LPARAM lParam);
    // The tick of kResumeReadingTimer: reads what an earlier drain left waiting.
    void ResumeReading();

    SOCKET socket() const { return socket_; }
    bool winsockReady() const { return winsockReady_; }
    bool connected() const { return connected_; }

protected:
    void CloseProcedure();
    HWND notificationWindow_ = nullptr;

private:
    void Drain(SOCKET notified);
    void DeferReading();
    void DeliverArrival(std::string& buffer);

    SOCKET socket_ = INVALID_SOCKET;
    bool winsockReady_ = false;
    bool connected_ = false;
    bool peerClosed_ = false;  // the peer ended the connection; `connected_` stays as it was
    bool readingDeferred_ = false;  // bytes may wait that only the resume timer reads
    bool closePending_ = false;     // the peer closed while bytes were still deferred
    int arrivalNesting_ = 0;        // data-arrival events now being dispatched
};

}  // namespace components
