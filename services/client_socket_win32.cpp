#include "services/client_socket_win32.h"

#include <cstring>
#include <vector>

#include "components/client_socket_data.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/value_record.h"
#include "runtime/values.h"
#include "services/command_arguments.h"

namespace services {
namespace {

constexpr wchar_t kClassName[] = L"_WK_ClientSock";
constexpr int kDrainReadSize = 1024;

void RegisterNotificationClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassW(&windowClass) != 0;
}

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

// The raw bytes a value sends; false for types that send nothing at all.
bool BytesOfValue(const rt::ValueRecord& value, std::string* bytes) {
    switch (value.type) {
    case rt::kTypeText: {
        const char* text = rt::AsText(value);
        *bytes = text ? text : "";
        return true;
    }
    case rt::kTypeByteSet: *bytes = std::string(rt::ByteSetView(rt::AsByteSet(value))); return true;
    default: {
        uint32_t width = rt::BasicValueWidth(value.type);
        if (width == 0 || value.type == rt::kTypeSystemValue8) return false;
        bytes->assign(reinterpret_cast<const char*>(value.payload), width);
        return true;
    }
    }
}

ClientSocket* ClientOf(int argumentCount, rt::ValueRecord* arguments) {
    if (argumentCount < 1 || !arguments) return nullptr;
    rt::ComponentObject* object = rt::ComponentOf(rt::PayloadLow(arguments[0]), rt::PayloadHigh(arguments[0]));
    return dynamic_cast<ClientSocket*>(object);
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
    if (notificationWindow_ && IsWindow(notificationWindow_)) WSAAsyncSelect(socket_, notificationWindow_, 0, 0);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
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
        OnClosed();
        return 0;
    }
    auto notified = static_cast<SOCKET>(wParam);
    u_long waiting = 0;
    if (ioctlsocket(notified, FIONREAD, &waiting) == SOCKET_ERROR) return 0;
    int readSize = waiting < 1 ? 1 : static_cast<int>(waiting);
    std::string accumulated;
    std::vector<char> scratch;
    for (;;) {
        scratch.resize(static_cast<size_t>(readSize));
        int count = recv(notified, scratch.data(), readSize, 0);
        if (count == SOCKET_ERROR || count == 0) break;
        accumulated.append(scratch.data(), static_cast<size_t>(count));
        readSize = kDrainReadSize;
    }
    if (!accumulated.empty()) OnDataArrived(accumulated);
    return 0;
}

ClientSocket::ClientSocket(uint32_t formId, uint32_t unitId, uint32_t borderFlag)
    : formId_(formId), unitId_(unitId), borderFlag_(borderFlag) {}

ClientSocket::~ClientSocket() {
    if (socket() != INVALID_SOCKET) CloseProcedure();
}

bool ClientSocket::CreateWindowFor(const rt::CreateParameters& parameters) {
    RegisterNotificationClass(WindowProc);
    DWORD style = parameters.style | WS_CHILD | WS_CLIPSIBLINGS;
    if (borderFlag_ == 1) style |= WS_BORDER;
    notificationWindow_ = CreateWindowExW(0, kClassName, L"", style, parameters.x, parameters.y, parameters.cx,
                                          parameters.cy, parameters.parent,
                                          reinterpret_cast<HMENU>(static_cast<intptr_t>(parameters.controlId)),
                                          GetModuleHandleW(nullptr), this);
    return notificationWindow_ != nullptr;
}

void ClientSocket::OnDataArrived(std::string& buffer) {
    receivedData_.swap(buffer);
    rt::RaiseComponentEvent(formId_, unitId_, kEventDataArrived);
    receivedData_.clear();
}

void ClientSocket::OnClosed() { rt::RaiseComponentEvent(formId_, unitId_, kEventConnectionClosed); }

LRESULT CALLBACK ClientSocket::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto client = reinterpret_cast<ClientSocket*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!client) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case kSocketNotify: return client->HandleNotification(wParam, lParam);
    case rt::kQueryComponentObject: return reinterpret_cast<LRESULT>(static_cast<rt::ComponentObject*>(client));
    case WM_NCDESTROY: {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        client->notificationWindow_ = nullptr;
        rt::RuntimeService(2000, static_cast<intptr_t>(client->formId_), static_cast<intptr_t>(client->unitId_));
        delete client;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

namespace {

rt::ComponentObject* CreateClient(const rt::CreateParameters& parameters) {
    components::ClientSocketData data;
    if (data.Read(parameters.data, parameters.length) != rt::ReadStatus::kOk) return nullptr;
    auto client = new ClientSocket(parameters.formId, parameters.unitId, data.borderFlag);
    if (!client->CreateWindowFor(parameters)) {
        delete client;
        return nullptr;
    }
    return client;
}

std::vector<uint8_t> ClientData(rt::ComponentObject* object) {
    components::ClientSocketData data;
    data.borderFlag = static_cast<ClientSocket*>(object)->borderFlag();
    return data.Write();
}

rt::PropertyList ClientProperties() { return {nullptr, 0}; }

}  // namespace

void* ClientTypeInterface(int request) {
    switch (request) {
    case rt::kRequestCreate: return reinterpret_cast<void*>(CreateClient);
    case rt::kRequestGetAllData: return reinterpret_cast<void*>(ClientData);
    case rt::kRequestPropertyList: return reinterpret_cast<void*>(ClientProperties);
    default: return nullptr;
    }
}

void Connect(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    ClientSocket* client = ClientOf(argumentCount, arguments);
    std::string_view address = arguments::TextOf(arguments::Given(argumentCount, arguments, 1));
    int32_t port = arguments::IntegerOr(arguments::Given(argumentCount, arguments, 2), 0);
    std::string addressText(address);
    arguments::SetBool(result, client && client->Connect(addressText.c_str(), port));
}

void SendData(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    ClientSocket* client = ClientOf(argumentCount, arguments);
    std::string bytes;
    const rt::ValueRecord* value = arguments::Given(argumentCount, arguments, 1);
    bool sent = client && value && BytesOfValue(*value, &bytes) &&
                client->Send(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int64_t>(bytes.size()), -1);
    arguments::SetBool(result, sent);
}

void GetReceivedData(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    ClientSocket* client = ClientOf(argumentCount, arguments);
    arguments::SetByteSet(result, client ? std::string_view(client->receivedData()) : std::string_view());
}

}  // namespace services
