// What the socket client's tests share: a form holding one Client whose two
// events go to the test's handlers, the commands called on it, and a
// one-connection loopback server whose behaviour the test gives.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "components/client_socket/client_socket_win32.h"
#include "runtime/events.h"
#include "runtime/value_record.h"

namespace services::testing {

// Starts the runtime with a form whose Client raises DataArrived to
// handlers[0] and ConnectionClosed to handlers[1].
void StartClientForm(const rt::EventHandler (&handlers)[2]);
components::ClientSocket* Client();
rt::ValueRecord ClientReference();
bool ConnectTo(const char* address, int32_t port);
bool Send(const rt::ValueRecord& value);
// GetReceivedData as bytes.
std::string Received();

// A one-connection server on 127.0.0.1 whose behaviour is a function of the
// accepted socket, run on its own thread. A behaviour that keeps the
// connection open holds it until the test releases it (or the server goes).
class LoopbackServer {
public:
    using Behaviour = std::function<void(LoopbackServer& self, SOCKET peer)>;
    explicit LoopbackServer(Behaviour behaviour, u_short port = 0);
    ~LoopbackServer();
    bool Bound() const { return bound_; }
    int Port() const { return port_; }
    // What the behaviour read, once it has finished with the connection.
    std::string Received();
    void Release() { SetEvent(released_); }
    bool Released() const { return WaitForSingleObject(released_, 0) == WAIT_OBJECT_0; }

    // For behaviours: reads until the peer closes the connection or the test releases it.
    void ReadAll(SOCKET peer);
    void WaitForRelease() { WaitForSingleObject(released_, kPatience); }

    static constexpr DWORD kPatience = 15000;

private:
    void Serve();

    Behaviour behaviour_;
    SOCKET listener_ = INVALID_SOCKET;
    bool bound_ = false;
    int port_ = 0;
    HANDLE released_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::string received_;
    std::thread thread_;
};

}  // namespace services::testing
