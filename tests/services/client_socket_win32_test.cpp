// The socket client against a loopback server run by the test: what goes on
// the wire, what comes back as events, and every way a send can fail.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/entry_points.h"
#include "runtime/values.h"
#include "support/client_socket_harness_win32.h"
#include "support/form_harness_win32.h"

namespace {

using services::testing::Client;
using services::testing::ConnectTo;
using services::testing::LoopbackServer;
using services::testing::Received;
using services::testing::Send;

std::vector<std::string> g_arrivals;
int g_closedEvents = 0;

int64_t OnDataArrived(const uint32_t*, int) {
    g_arrivals.push_back(Received());
    return 0;
}
int64_t OnClosed(const uint32_t*, int) {
    ++g_closedEvents;
    return 0;
}
const rt::EventHandler kHandlers[] = {OnDataArrived, OnClosed};

void StartForm() {
    services::testing::StartClientForm(kHandlers);
    g_arrivals.clear();
    g_closedEvents = 0;
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
    ASSERT_TRUE(rt::testing::PumpUntil([] { return g_closedEvents > 0; })) << "the close event";
    EXPECT_EQ(g_closedEvents, 1);
    EXPECT_FALSE(Send(rt::MakeText("late")));
    EXPECT_TRUE(Client()->connected());
    EXPECT_TRUE(g_arrivals.empty()) << "a closed connection delivers no data event";
}

TEST(ClientSocket, AfterAnOrderlyCloseTheFirstSendAlreadyFails) {
    StartForm();
    LoopbackServer server([](LoopbackServer&, SOCKET peer) { closesocket(peer); });
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    ASSERT_TRUE(rt::testing::PumpUntil([] { return g_closedEvents > 0; })) << "the close event";
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
    ASSERT_TRUE(rt::testing::PumpUntil([] { return !g_arrivals.empty(); })) << "the data event";
    // The close comes after every notice about the data sent before it.
    server.Release();
    ASSERT_TRUE(rt::testing::PumpUntil([] { return g_closedEvents > 0; })) << "the close event";
    ASSERT_EQ(g_arrivals.size(), 1u);
    EXPECT_EQ(g_arrivals[0], "first|second");
    EXPECT_EQ(Received(), "") << "received data is only there during the handler";
}

TEST(ClientSocket, SpuriousReadNotificationRaisesNothing) {
    StartForm();
    LoopbackServer server([](LoopbackServer& self, SOCKET peer) { self.WaitForRelease(); closesocket(peer); });
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    PostMessageW(Client()->Window(), components::kSocketNotify, static_cast<WPARAM>(Client()->socket()), FD_READ);
    ASSERT_TRUE(rt::testing::Drain()) << "the posted notice";
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
    bool whole = rt::testing::PumpUntil([&] {
        all.clear();
        for (const std::string& part : g_arrivals) all += part;
        return all.size() >= big.size();
    });
    EXPECT_TRUE(whole) << all.size() << " of " << big.size() << " bytes arrived";
    EXPECT_EQ(all, big) << "bytes lost or reordered";
}

}  // namespace
