// The socket client component ("客户", Client): one TCP connection of a form,
// with Winsock notifications turned into the component's two events.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/component_object_win32.h"
#include "runtime/support_library.h"

namespace services {

constexpr UINT kSocketNotify = 0x8078;
constexpr int32_t kEventDataArrived = 0;
constexpr int32_t kEventConnectionClosed = 1;

// A child window owning one socket and its own Winsock start-up.
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

    SOCKET socket() const { return socket_; }
    bool winsockReady() const { return winsockReady_; }
    bool connected() const { return connected_; }

protected:
    void CloseProcedure();
    HWND notificationWindow_ = nullptr;

private:
    SOCKET socket_ = INVALID_SOCKET;
    bool winsockReady_ = false;
    bool connected_ = false;
    bool peerClosed_ = false;  // the peer ended the connection; `connected_` stays as it was
};

class ClientSocket : public SocketWindow, public rt::ComponentObject {
public:
    ClientSocket(uint32_t formId, uint32_t unitId, uint32_t borderFlag);
    ~ClientSocket() override;
    bool CreateWindowFor(const rt::CreateParameters& parameters);

    HWND Window() const override { return notificationWindow_; }
    void OnDataArrived(std::string& buffer) override;
    void OnClosed() override;
    // A copy of the bytes of the data-arrival event being dispatched.
    const std::string& receivedData() const { return receivedData_; }
    uint32_t borderFlag() const { return borderFlag_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    uint32_t formId_;
    uint32_t unitId_;
    uint32_t borderFlag_;
    std::string receivedData_;
};

// The component type (core library type 37).
void* ClientTypeInterface(int request);

// Commands: the first argument is the component.
void Connect(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void SendData(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void GetReceivedData(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);

}  // namespace services
