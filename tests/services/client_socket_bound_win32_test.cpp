// The socket client against a peer that sends without pause: each data event
// holds a bounded number of bytes, nothing is lost or reordered, the thread's
// queue keeps turning, and events nested in modal loops stop at a bound.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "components/client_socket/socket_window_win32.h"
#include "runtime/values.h"
#include "support/client_socket_harness_win32.h"
#include "support/form_harness_win32.h"

namespace {

using services::testing::ConnectTo;
using services::testing::LoopbackServer;
using services::testing::Received;

// Byte `offset` of everything the peer sends.
char StreamByte(size_t offset) { return static_cast<char>('A' + (offset * 7 + offset / 251) % 53); }

bool InOrder(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] != StreamByte(i)) return false;
    return true;
}

// Sends the stream in pieces of `piece` bytes, `pause` ms apart, until released or refused.
LoopbackServer::Behaviour Stream(size_t piece, DWORD pause, size_t total = SIZE_MAX) {
    return [=](LoopbackServer& self, SOCKET peer) {
        std::string buffer(piece, '\0');
        for (size_t sent = 0; sent < total && !self.Released();) {
            size_t length = std::min(piece, total - sent);
            for (size_t i = 0; i < length; ++i) buffer[i] = StreamByte(sent + i);
            if (send(peer, buffer.data(), static_cast<int>(length), 0) != static_cast<int>(length)) break;
            sent += length;
            if (pause) Sleep(pause);
        }
        self.WaitForRelease();
        closesocket(peer);
    };
}

std::vector<std::string> g_arrivals;
size_t g_arrivedBytes = 0;
int g_nesting = 0;
int g_deepestNesting = 0;
DWORD g_deepestSince = 0;
bool g_unwind = true;  // false: each event runs a modal loop of its own until told to unwind

DWORD g_firstEventPause = 0;  // ms the first event holds the thread, so that all the peer sends is waiting

int64_t OnDataArrived(const uint32_t*, int) {
    if (g_arrivals.empty()) Sleep(g_firstEventPause);
    g_arrivals.push_back(Received());
    g_arrivedBytes += g_arrivals.back().size();
    ++g_nesting;
    if (g_nesting > g_deepestNesting) {
        g_deepestNesting = g_nesting;
        g_deepestSince = GetTickCount();
    }
    // As a message box would: the loop dispatches what comes meanwhile.
    while (!g_unwind) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        else Sleep(1);
    }
    --g_nesting;
    return 0;
}
size_t g_bytesBeforeClose = 0;
int g_closes = 0;
int64_t OnClosed(const uint32_t*, int) {
    g_bytesBeforeClose = g_arrivedBytes;
    ++g_closes;
    return 0;
}
const rt::EventHandler kHandlers[] = {OnDataArrived, OnClosed};

void StartForm(bool modalEvents) {
    services::testing::StartClientForm(kHandlers);
    g_arrivals.clear();
    g_arrivedBytes = 0;
    g_nesting = g_deepestNesting = 0;
    g_deepestSince = 0;
    g_unwind = !modalEvents;
    g_bytesBeforeClose = 0;
    g_closes = 0;
    g_firstEventPause = 0;
}

std::string AllArrived() {
    std::string all;
    for (const std::string& part : g_arrivals) all += part;
    return all;
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

TEST(ClientSocketBound, FloodArrivesInBoundedEventsInOrderWhileTimersStillTick) {
    StartForm(false);
    LoopbackServer server(Stream(64 * 1024, 0));
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    // Ticks come only when the queue holds nothing else: a flood must not keep it full.
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, CountTick);
    ASSERT_NE(timer, 0u);
    bool both = rt::testing::PumpUntil([] { return g_ticks >= 5 && g_arrivedBytes >= (2u << 20); }, 20000);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(both) << g_ticks << " ticks, " << g_arrivedBytes << " bytes arrived";
    server.Release();
    services::testing::Client()->Disconnect();  // a send blocked on the full connection fails
    ASSERT_FALSE(g_arrivals.empty());
    size_t largest = 0;
    for (const std::string& part : g_arrivals) largest = std::max(largest, part.size());
    EXPECT_EQ(largest, components::kLargestArrival) << "the bound is reached and never passed";
    EXPECT_TRUE(InOrder(AllArrived())) << "bytes lost or reordered";
}

TEST(ClientSocketBound, EventsNestedInModalLoopsStopAtTheBoundAndTheRestFollowsInOrder) {
    StartForm(true);
    constexpr size_t kTotal = 600 * 100;
    LoopbackServer server(Stream(100, 3, kTotal));
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    // The deepest loop holds on for a while: more bytes come meanwhile, yet no deeper event.
    rt::testing::WhenReadyOnTheLoop(
        [] { return g_deepestNesting >= components::kDeepestArrivalNesting && GetTickCount() - g_deepestSince > 300; },
        [] { g_unwind = true; }, 20000);
    ASSERT_TRUE(rt::testing::PumpUntil([] { return g_unwind && g_nesting == 0; }, 25000));
    EXPECT_EQ(g_deepestNesting, components::kDeepestArrivalNesting);
    EXPECT_TRUE(rt::testing::PumpUntil([] { return g_arrivedBytes >= kTotal; }, 20000))
        << g_arrivedBytes << " of " << kTotal << " bytes arrived";
    std::string all = AllArrived();
    EXPECT_EQ(all.size(), kTotal);
    EXPECT_TRUE(InOrder(all)) << "bytes lost or reordered";
    server.Release();
}

TEST(ClientSocketBound, APeerThatSendsMoreThanOneEventHoldsAndClosesIsClosedAfterItsLastByte) {
    StartForm(false);
    constexpr size_t kTotal = 5 * components::kLargestArrival + 123;
    LoopbackServer server([](LoopbackServer&, SOCKET peer) {
        std::string all(kTotal, '\0');
        for (size_t i = 0; i < kTotal; ++i) all[i] = StreamByte(i);
        send(peer, all.data(), static_cast<int>(all.size()), 0);
        closesocket(peer);
    });
    g_firstEventPause = 300;
    ASSERT_TRUE(ConnectTo("127.0.0.1", server.Port()));
    ASSERT_TRUE(rt::testing::PumpUntil([] { return g_closes > 0; }, 20000)) << g_arrivedBytes << " bytes, no close";
    EXPECT_EQ(g_bytesBeforeClose, kTotal) << "the close was raised before the bytes that came ahead of it";
    EXPECT_TRUE(InOrder(AllArrived()));
    EXPECT_GT(g_arrivals.size(), 5u);
}

}  // namespace
