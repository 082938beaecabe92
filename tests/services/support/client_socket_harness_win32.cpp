#include "support/client_socket_harness_win32.h"

#include <gtest/gtest.h>

#include "components/common/component_types_win32.h"
#include "runtime/entry_points.h"
#include "runtime/form_registry_win32.h"
#include "runtime/type_references.h"
#include "runtime/values.h"
#include "services/core_commands.h"
#include "support/form_harness_win32.h"
#include "support/test_components_win32.h"

namespace services::testing {
namespace {

constexpr uint32_t kForm = 0x52010001;
uint32_t g_clientUnit = 0;
rt::ComponentType g_types[37];
rt::SupportLibrary g_library;

void* ClientInterface(int request) { return components::ClientTypeInterface(request); }

}  // namespace

void StartClientForm(const rt::EventHandler (&handlers)[2]) {
    g_types[0] = {"窗口", "Window", rt::kTypeFlagCanRaiseEvents, rt::testing::TestWindowInterface};
    g_types[36] = {"客户", "Client", rt::kTypeFlagCanRaiseEvents | rt::kTypeFlagNeverShown, ClientInterface};
    g_library = {rt::kLibraryRecordFormat, "", 5, 7, 0, "系统核心支持库", 0, nullptr, 37, g_types, nullptr};
    rt::testing::FormBuilder form(kForm, rt::kWindowTypeReference, 300, 200);
    g_clientUnit = form.Add(0x00010025, "客户", 16, 40, 32, 24, 0);
    form.Bind(g_clientUnit, 0, 0);
    form.Bind(g_clientUnit, 1, 1);
    rt::testing::StartRuntime(rt::testing::BuildTemplate({form}), {&g_library}, handlers, 2);
    ASSERT_EQ(rt::LoadStartupWindow(kForm), 1);
    ASSERT_NE(Client(), nullptr);
}

components::ClientSocket* Client() {
    return dynamic_cast<components::ClientSocket*>(rt::ComponentOf(kForm, g_clientUnit));
}

rt::ValueRecord ClientReference() { return rt::MakeComponentRef(kForm, g_clientUnit, rt::ComponentTypeCode(1, 37)); }

bool ConnectTo(const char* address, int32_t port) {
    rt::ValueRecord arguments[] = {ClientReference(), rt::MakeText(address), rt::MakeInteger(port)};
    return rt::AsBool(rt::CallLibraryCommand(services::Connect, 3, arguments));
}

bool Send(const rt::ValueRecord& value) {
    rt::ValueRecord arguments[] = {ClientReference(), value};
    return rt::AsBool(rt::CallLibraryCommand(services::SendData, 2, arguments));
}

std::string Received() {
    rt::ValueRecord client = ClientReference();
    rt::ValueRecord bytes = rt::CallLibraryCommand(services::GetReceivedData, 1, &client);
    std::string copy(rt::ByteSetView(rt::AsByteSet(bytes)));
    rt::Free(const_cast<uint8_t*>(rt::AsByteSet(bytes)));
    return copy;
}

LoopbackServer::LoopbackServer(Behaviour behaviour, u_short port) : behaviour_(std::move(behaviour)) {
    WSADATA data;
    WSAStartup(0x0202, &data);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(listener_, 4) == 0;
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (bound_) thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    Release();
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    CloseHandle(released_);
    CloseHandle(done_);
    WSACleanup();
}

std::string LoopbackServer::Received() {
    EXPECT_EQ(WaitForSingleObject(done_, kPatience), WAIT_OBJECT_0) << "the server did not finish its connection";
    return received_;
}

void LoopbackServer::ReadAll(SOCKET peer) {
    char buffer[4096];
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPatience && !Released();) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(peer, &readable);
        timeval wait{0, 20000};
        int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready < 0) break;
        if (ready == 0) continue;
        int count = recv(peer, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        received_.append(buffer, static_cast<size_t>(count));
    }
}

void LoopbackServer::Serve() {
    SOCKET peer = accept(listener_, nullptr, nullptr);
    if (peer != INVALID_SOCKET) behaviour_(*this, peer);
    SetEvent(done_);
}

}  // namespace services::testing
