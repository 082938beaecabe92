// The parts the flood limits are built from: fair hashing queue, per-address rate and
// the address key that per-address limits count by.
#include <gtest/gtest.h>

#include <asio/ip/address.hpp>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/connection_limits.h"
#include "server/hashing_queue.h"
#include "server/rate_limiter.h"

namespace {

using namespace std::chrono_literals;

// Records the jobs in the order they ran; the first job holds the one thread until released.
class QueueProbe {
public:
    explicit QueueProbe(server::HashingQueue& queue, const std::string& gateAddress = "gate") : queue_(queue) {
        std::promise<void> started;
        std::future<void> running = started.get_future();
        queue_.Submit(gateAddress, [this, &started] {
            started.set_value();
            gate_.get_future().wait();
        });
        running.wait();
    }
    ~QueueProbe() { Release(); }

    bool Submit(const std::string& address, const std::string& name) {
        return queue_.Submit(address, [this, name] {
            std::lock_guard<std::mutex> lock(mutex_);
            order_.push_back(name);
            changed_.notify_all();
        });
    }
    void Release() {
        if (!released_) gate_.set_value();
        released_ = true;
    }
    std::vector<std::string> WaitForRuns(size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return order_.size() >= count; });
        return order_;
    }

private:
    server::HashingQueue& queue_;
    std::promise<void> gate_;
    bool released_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> order_;
};

TEST(HashingQueue, TakesAddressesInTurnSoAFloodDelaysOthersByOneJob) {
    server::HashingQueue queue(1, 16, 8);
    QueueProbe probe(queue);
    for (const char* name : {"a1", "a2", "a3", "a4"}) ASSERT_TRUE(probe.Submit("10.0.0.1", name));
    ASSERT_TRUE(probe.Submit("10.0.0.2", "b1"));
    ASSERT_TRUE(probe.Submit("10.0.0.3", "c1"));
    probe.Release();
    EXPECT_EQ(probe.WaitForRuns(6), (std::vector<std::string>{"a1", "b1", "c1", "a2", "a3", "a4"}));
}

TEST(HashingQueue, WithTwoThreadsOneAddressLeavesOneFree) {
    server::HashingQueue queue(2, 16, 8);
    QueueProbe probe(queue, "10.0.0.1");  // holds one thread
    ASSERT_TRUE(probe.Submit("10.0.0.1", "a2"));
    ASSERT_TRUE(probe.Submit("10.0.0.2", "b1"));
    EXPECT_EQ(probe.WaitForRuns(1), std::vector<std::string>{"b1"});
    probe.Release();
    EXPECT_EQ(probe.WaitForRuns(2), (std::vector<std::string>{"b1", "a2"}));
}

TEST(HashingQueue, RefusesWhenTheQueueOrTheAddresssShareIsFull) {
    server::HashingQueue queue(1, 3, 2);
    QueueProbe probe(queue);
    EXPECT_TRUE(probe.Submit("10.0.0.1", "a1"));
    EXPECT_TRUE(probe.Submit("10.0.0.1", "a2"));
    EXPECT_FALSE(probe.Submit("10.0.0.1", "a3"));
    EXPECT_TRUE(probe.Submit("10.0.0.2", "b1"));
    EXPECT_FALSE(probe.Submit("10.0.0.3", "c1"));
    probe.Release();
    EXPECT_EQ(probe.WaitForRuns(3).size(), 3u);
    // Room again once the jobs have run.
    EXPECT_TRUE(probe.Submit("10.0.0.3", "c2"));
    EXPECT_EQ(probe.WaitForRuns(4).back(), "c2");
}

TEST(HashingQueue, StopDropsWaitingJobsAndLetsTheRunningOneFinish) {
    server::HashingQueue queue(1, 8, 8);
    QueueProbe probe(queue);
    auto ran = std::make_shared<int>(0);
    ASSERT_TRUE(queue.Submit("10.0.0.1", [ran] { ++*ran; }));
    auto stopped = std::async(std::launch::async, [&] { queue.Stop(); });
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (ran.use_count() > 1 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    EXPECT_EQ(ran.use_count(), 1);  // the waiting job is gone while the gate still runs
    probe.Release();
    stopped.get();
    EXPECT_EQ(*ran, 0);
    EXPECT_FALSE(queue.Submit("10.0.0.1", [] {}));
}

TEST(AddressRateLimiter, AllowsAMinutesWorthAtOnceThenRefillsSteadily) {
    server::AddressRateLimiter limiter(3);
    auto start = server::AddressRateLimiter::Clock::time_point{} + 1h;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.Allow("10.0.0.1", start)) << i;
    EXPECT_FALSE(limiter.Allow("10.0.0.1", start));
    EXPECT_TRUE(limiter.Allow("10.0.0.2", start));
    EXPECT_FALSE(limiter.Allow("10.0.0.1", start + 19s));
    EXPECT_TRUE(limiter.Allow("10.0.0.1", start + 20s));
    EXPECT_FALSE(limiter.Allow("10.0.0.1", start + 21s));

    limiter.Prune(start + 30s);
    EXPECT_EQ(limiter.tracked(), 1u);  // the second address has its three again
    limiter.Prune(start + 2min);
    EXPECT_EQ(limiter.tracked(), 0u);
    EXPECT_TRUE(server::AddressRateLimiter(0).Allow("10.0.0.1", start));
}

TEST(AddressKey, CountsIpv4ByAddressAndIpv6ByNetwork) {
    struct Case {
        const char* address;
        const char* key;
    } cases[] = {
        {"192.0.2.7", "192.0.2.7"},
        {"::ffff:192.0.2.7", "192.0.2.7"},
        {"2001:db8:1:2:3:4:5:6", "2001:db8:1:2::/64"},
        {"2001:db8:1:2:ffff::1", "2001:db8:1:2::/64"},
        {"2001:db8:1:3::1", "2001:db8:1:3::/64"},
        {"::1", "::/64"},
    };
    for (const Case& c : cases) EXPECT_EQ(server::AddressKey(asio::ip::make_address(c.address)), c.key) << c.address;
}

}  // namespace
