#include "components/client_socket/client_socket_win32.h"

#include "components/client_socket/client_socket_data.h"
#include "components/common/component_types_win32.h"
#include "components/common/type_interface_win32.h"
#include "runtime/events.h"

namespace components {
namespace {

constexpr wchar_t kClassName[] = L"_WK_ClientSock";

bool RegisterNotificationClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &ClientSocket::ClassProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassW(&windowClass) != 0;
    return registered;
}

}  // namespace

ClientSocket::ClientSocket(uint32_t formId, uint32_t unitId, uint32_t borderFlag)
    : ComponentWindow(formId, unitId), borderFlag_(borderFlag) {}

ClientSocket::~ClientSocket() {
    if (socket() != INVALID_SOCKET) CloseProcedure();
}

ClientSocket* ClientSocket::Create(const rt::CreateParameters& parameters) {
    ClientSocketData data;
    if (data.Read(parameters.data, parameters.length) != rt::ReadStatus::kOk) return nullptr;
    auto client = new ClientSocket(parameters.formId, parameters.unitId, data.borderFlag);
    RegisterNotificationClass();
    DWORD style = parameters.style | WS_CHILD | WS_CLIPSIBLINGS;
    if (client->borderFlag_ == 1) style |= WS_BORDER;
    client->notificationWindow_ =
        client->CreateBoundWindow(0, kClassName, L"", style, parameters.x, parameters.y, parameters.cx, parameters.cy,
                                  parameters.parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(parameters.controlId)));
    if (!client->notificationWindow_) {
        delete client;
        return nullptr;
    }
    client->Adopt();
    return client;
}

std::vector<uint8_t> ClientSocket::AllData() const {
    ClientSocketData data;
    data.borderFlag = borderFlag_;
    return data.Write();
}

void ClientSocket::OnDataArrived(std::string& buffer) {
    receivedData_.swap(buffer);
    rt::RaiseComponentEvent(formId_, unitId_, rt::kClientDataArrived);
    receivedData_.clear();
}

void ClientSocket::OnClosed() { rt::RaiseComponentEvent(formId_, unitId_, rt::kClientConnectionClosed); }

LRESULT ClientSocket::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSocketNotify) return HandleNotification(wParam, lParam);
    if (message == WM_TIMER && wParam == kResumeReadingTimer) {
        ResumeReading();
        return 0;
    }
    return Default(message, wParam, lParam);
}

void* ClientTypeInterface(int request) { return TypeInterfaceFor<ClientSocket>(request); }

}  // namespace components
