// The socket client against a loopback server run by the test: what goes on
// the wire, what comes back as events, and every way a send can fail.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "components/client_socket/client_socket_win32.h"
#include "components/common/component_types_win32.h"
#include "runtime/entry_points.h"
#include "runtime/form_registry_win32.h"
#include "runtime/type_references.h"
#include "runtime/values.h"
#include "services/core_commands.h"
#include "support/form_harness_win32.h"
#include "support/test_components_win32.h"

namespace {

constexpr uint32_t kForm = 0x52010001;
uint32_t g_clientUnit = 0;
std::vector<std::string> g_arrivals;
int g_closedEvents = 0;

rt::ValueRecord ClientReference() {
    return rt::MakeComponentRef(kForm, g_clientUnit, rt::ComponentTypeCode(1, 37));
}

std::string Received() {
    rt::ValueRecord client = ClientReference();
    rt::ValueRecord bytes = rt::CallLibraryCommand(services::GetReceivedData, 1, &client);
    std::string copy(rt::ByteSetView(rt::AsByteSet(bytes)));
    rt::Free(const_cast<uint8_t*>(rt::AsByteSet(bytes)));
    return copy;
}

int64_t OnDataArrived(const uint32_t*, int) {
    g_arrivals.push_back(Received());
    return 0;
}
int64_t OnClosed(const uint32_t*, int) {
    ++g_closedEvents;
    return 0;
}
const rt::EventHandler kHandlers[] = {OnDataArrived, OnClosed};

void* ClientInterface(int request) { return components::ClientTypeInterface(request); }

rt::ComponentType g_types[37];
rt::SupportLibrary g_library;

components::ClientSocket* Client() {
    return dynamic_cast<components::ClientSocket*>(rt::ComponentOf(kForm, g_clientUnit));
}

void StartForm() {
    g_types[0] = {"窗口", "Window", rt::kTypeFlagCanRaiseEvents, loader_testing::TestWindowInterface};
    g_types[36] = {"客户", "Client", rt::kTypeFlagCanRaiseEvents | rt::kTypeFlagNeverShown, ClientInterface};
    g_library = {rt::kLibraryRecordFormat, "", 5, 7, 0, "系统核心支持库", 0, nullptr, 37, g_types, nullptr};
    testing_support::FormBuilder form(kForm, rt::kWindowTypeReference, 300, 200);
    g_clientUnit = form.Add(0x00010025, "客户", 16, 40, 32, 24, 0);
    form.Bind(g_clientUnit, 0, 0);
    form.Bind(g_clientUnit, 1, 1);
    testing_support::StartRuntime(testing_support::BuildTemplate({form}), {&g_library}, kHandlers, 2);
    ASSERT_EQ(rt::LoadStartupWindow(kForm), 1);
    ASSERT_NE(Client(), nullptr);
    g_arrivals.clear();
    g_closedEvents = 0;
}

// A one-connection server on 127.0.0.1 whose behaviour is a function of the
// accepted socket, run on its own thread. A behaviour that keeps the
// connection open holds it until the test releases it (or the server goes).
class LoopbackServer {
public:
    using Behaviour = std::function<void(LoopbackServer& self, SOCKET peer)>;
    explicit LoopbackServer(Behaviour behaviour, u_short port = 0) : behaviour_(std::move(behaviour)) {
        WSADATA data;
        WSAStartup(0x0202, &data);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(listener_, 4) == 0;
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (bound_) thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        Release();
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        CloseHandle(released_);
        CloseHandle(done_);
        WSACleanup();
    }
    bool Bound() const { return bound_; }
    int Port() const { return port_; }
    // What the behaviour read, once it has finished with the connection.
    std::string Received() {
        EXPECT_EQ(WaitForSingleObject(done_, kPatience), WAIT_OBJECT_0) << "the server did not finish its connection";
        return received_;
    }
    void Release() { SetEvent(released_); }

    // For behaviours: reads until the peer closes the connection or the test releases it.
    void ReadAll(SOCKET peer) {
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
    void WaitForRelease() { WaitForSingleObject(released_, kPatience); }

private:
    static constexpr DWORD kPatience = 15000;
    bool Released() const { return WaitForSingleObject(released_, 0) == WAIT_OBJECT_0; }
    void Serve() {
        SOCKET peer = accept(listener_, nullptr, nullptr);
        if (peer != INVALID_SOCKET) behaviour_(*this, peer);
        SetEvent(done_);
    }

    Behaviour behaviour_;
    SOCKET listener_ = INVALID_SOCKET;
    bool bound_ = false;
    int port_ = 0;
    HANDLE released_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::string received_;
    std::thread thread_;
};

bool ConnectTo(const char* address, int32_t port) {
    rt::ValueRecord arguments[] = {ClientReference(), rt::MakeText(address), rt::MakeInteger(port)};
    return rt::AsBool(rt::CallLibraryCommand(services::Connect, 3, arguments));
}

bool Send(const rt::ValueRecord& value) {
    rt::ValueRecord arguments[] = {ClientReference(), value};
    return rt::AsBool(rt::CallLibraryCommand(services::SendData, 2, arguments));
}

TEST(ClientSocket, SendsExactlyTheBytesOfEachValue) {
    StartForm();
    LoopbackServer server([](LoopbackServer& self, SOCKET peer) { self.ReadAll(peer); closesocket(peer); });
    ASSERT_TRUE(server.Bound());
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    EXPECT_TRUE(Client()->connected());
    EXPECT_TRUE(Send(rt::MakeText("abc")));
    EXPECT_TRUE(Send(rt::MakeText("")));  // nothing on the wire, still a success
    EXPECT_TRUE(Send(rt::MakeInteger(0x04030201)));
    uint8_t* set = rt::CopyBytes("\x00\xFF", 2);
    EXPECT_TRUE(Send(rt::MakeByteSetValue(set)));
    rt::Free(set);
    Client()->Disconnect();  // the server reads up to the end of the connection
    EXPECT_EQ(server.Received(), std::string("abc\x01\x02\x03\x04\x00\xFF", 9));
}

// Connects a plain socket of the test, sends `bytes` and closes.
void ConnectAndSend(int port, const std::string& bytes) {
    SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    ASSERT_EQ(connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(send(probe, bytes.data(), static_cast<int>(bytes.size()), 0), static_cast<int>(bytes.size()));
    closesocket(probe);
}

TEST(ClientSocket, EmptyAddressFailsWithoutAnAttempt) {
    StartForm();
    LoopbackServer server([](LoopbackServer& self, SOCKET peer) { self.ReadAll(peer); closesocket(peer); });
    ASSERT_TRUE(server.Bound());
    EXPECT_FALSE(ConnectTo("", server.Port()));
    // Connecting blocks until the handshake, so an attempt would have been accepted before this probe.
    ConnectAndSend(server.Port(), "probe");
    EXPECT_EQ(server.Received(), "probe") << "the first connection the server took was not the probe";
    EXPECT_FALSE(Send(rt::MakeText("x"))) << "no connection, nothing sent";
}

TEST(ClientSocket, PortBelowOneConnectsToPortOne) {
    StartForm();
    LoopbackServer server([](LoopbackServer&, SOCKET peer) { closesocket(peer); }, 1);
    if (!server.Bound()) GTEST_SKIP() << "port 1 needs privileges this run does not have";
    EXPECT_TRUE(ConnectTo("127.0.0.1", 0));
    EXPECT_TRUE(ConnectTo("127.0.0.1", -5));
}

TEST(ClientSocket, SendFailsBeforeConnectAndAfterAFailedOne) {
    StartForm();
    EXPECT_FALSE(Send(rt::MakeText("abc")));
    int freePort;
    {
        LoopbackServer closed([](LoopbackServer&, SOCKET peer) { closesocket(peer); });
        freePort = closed.Port();
    }  // nothing listens there any more
    EXPECT_FALSE(ConnectTo("127.0.0.1", freePort));
    EXPECT_FALSE(Client()->connected());
    EXPECT_FALSE(Send(rt::MakeText("abc")));
}

TEST(ClientSocket, PeerResetMakesSendFailWhileConnectedStaysSet) {
    StartForm();
    // The reset comes once the client watches the connection: Wine posts no close
    // notice for a reset that happened before the watch was set up.
    LoopbackServer server([](LoopbackServer& self, SOCKET peer) {
        self.WaitForRelease();
        linger hard{1, 0};
        setsockopt(peer, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
        closesocket(peer);
    });
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    server.Release();
    ASSERT_TRUE(testing_support::PumpUntil([] { return g_closedEvents > 0; })) << "the close event";
    EXPECT_EQ(g_closedEvents, 1);
    EXPECT_FALSE(Send(rt::MakeText("late")));
    EXPECT_TRUE(Client()->connected());
    EXPECT_TRUE(g_arrivals.empty()) << "a closed connection delivers no data event";
}

TEST(ClientSocket, AfterAnOrderlyCloseTheFirstSendAlreadyFails) {
    StartForm();
    LoopbackServer server([](LoopbackServer&, SOCKET peer) { closesocket(peer); });
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    ASSERT_TRUE(testing_support::PumpUntil([] { return g_closedEvents > 0; })) << "the close event";
    ASSERT_EQ(g_closedEvents, 1);
    // The local stack would take these bytes; the peer would never read them.
    EXPECT_FALSE(Send(rt::MakeText("request")));
    EXPECT_TRUE(Client()->connected());
    // A new connection sends again.
    LoopbackServer next([](LoopbackServer& self, SOCKET peer) { self.ReadAll(peer); closesocket(peer); });
    ASSERT_TRUE(ConnectTo("127.0.0.1", next.Port()));
    EXPECT_TRUE(Send(rt::MakeText("request")));
    Client()->Disconnect();
    EXPECT_EQ(next.Received(), "request");
}

// The bytes the client's socket holds unread.
u_long Waiting() {
    u_long waiting = 0;
    if (ioctlsocket(Client()->socket(), FIONREAD, &waiting) == SOCKET_ERROR) return 0;
    return waiting;
}

TEST(ClientSocket, PacketsWaitingTogetherArriveAsOneEvent) {
    StartForm();
    LoopbackServer server([](LoopbackServer& self, SOCKET peer) {
        send(peer, "first|", 6, 0);
        Sleep(50);  // two packets on the wire
        send(peer, "second", 6, 0);
        self.WaitForRelease();
        closesocket(peer);
    });
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    // Both packets are waiting before any notification is handled.
    DWORD start = GetTickCount();
    while (Waiting() < 12 && GetTickCount() - start < 10000) Sleep(10);
    ASSERT_EQ(Waiting(), 12u) << "both packets waiting";
    ASSERT_TRUE(testing_support::PumpUntil([] { return !g_arrivals.empty(); })) << "the data event";
    // The close comes after every notice about the data sent before it.
    server.Release();
    ASSERT_TRUE(testing_support::PumpUntil([] { return g_closedEvents > 0; })) << "the close event";
    ASSERT_EQ(g_arrivals.size(), 1u);
    EXPECT_EQ(g_arrivals[0], "first|second");
    EXPECT_EQ(Received(), "") << "received data is only there during the handler";
}

TEST(ClientSocket, SpuriousReadNotificationRaisesNothing) {
    StartForm();
    LoopbackServer server([](LoopbackServer& self, SOCKET peer) { self.WaitForRelease(); closesocket(peer); });
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    PostMessageW(Client()->Window(), components::kSocketNotify, static_cast<WPARAM>(Client()->socket()), FD_READ);
    ASSERT_TRUE(testing_support::Drain()) << "the posted notice";
    EXPECT_TRUE(g_arrivals.empty());
}

TEST(ClientSocket, LargeReplyIsDrainedWhole) {
    StartForm();
    std::string big(50000, 'x');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    LoopbackServer server([&big](LoopbackServer& self, SOCKET peer) {
        send(peer, big.data(), static_cast<int>(big.size()), 0);
        self.WaitForRelease();
        closesocket(peer);
    });
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    std::string all;
    bool whole = testing_support::PumpUntil([&] {
        all.clear();
        for (const std::string& part : g_arrivals) all += part;
        return all.size() >= big.size();
    });
    EXPECT_TRUE(whole) << all.size() << " of " << big.size() << " bytes arrived";
    EXPECT_EQ(all, big) << "bytes lost or reordered";
}

}  // namespace
