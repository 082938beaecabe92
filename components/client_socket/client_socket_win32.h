// The socket client component ("客户", Client): one TCP connection of a form,
// with Winsock notifications turned into the component's two events.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/client_socket/socket_window_win32.h"
#include "components/common/component_window_win32.h"
#include "runtime/component_object_win32.h"

namespace components {

class ClientSocket : public SocketWindow, public ComponentWindow<ClientSocket>, public rt::ComponentObject {
public:
    static ClientSocket* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties() { return {nullptr, 0}; }
    ~ClientSocket() override;

    HWND Window() const override { return window_; }
    std::vector<uint8_t> AllData() const;
    void OnDataArrived(std::string& buffer) override;
    void OnClosed() override;
    // A copy of the bytes of the data-arrival event being dispatched.
    const std::string& receivedData() const { return receivedData_; }
    uint32_t borderFlag() const { return borderFlag_; }

private:
    friend class ComponentWindow<ClientSocket>;
    ClientSocket(uint32_t formId, uint32_t unitId, uint32_t borderFlag);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void OnUnbound() { notificationWindow_ = nullptr; }

    uint32_t borderFlag_;
    std::string receivedData_;
};

}  // namespace components
