// Password hashing on a fixed set of threads behind a bounded queue that client
// addresses share fairly: a free thread takes the next job of the address with the
// fewest jobs running, and among those of the one served longest ago. With more than
// one thread, one address never holds them all, so another address's job starts at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace server {

class HashingQueue {
public:
    HashingQueue(unsigned threads, size_t maxWaiting, size_t maxWaitingPerAddress);
    ~HashingQueue();
    HashingQueue(const HashingQueue&) = delete;
    HashingQueue& operator=(const HashingQueue&) = delete;

    // False when the queue or the address's share of it is full; otherwise `job` will
    // run on a hashing thread, unless Stop comes first.
    bool Submit(const std::string& address, std::function<void()> job);

    // Jobs waiting for a thread now.
    size_t Waiting();

    // Drops the waiting jobs, lets the running ones finish and ends the threads.
    void Stop();

private:
    struct Address {
        std::deque<std::function<void()>> waiting;
        size_t running = 0;
        uint64_t lastServed = 0;  // the turn it arrived or was last served
    };
    void Work();
    // The address whose job goes next; end() when no waiting job may start.
    std::unordered_map<std::string, Address>::iterator NextAddress();

    size_t maxWaiting_;
    size_t maxWaitingPerAddress_;
    size_t maxRunningPerAddress_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::unordered_map<std::string, Address> addresses_;
    size_t waiting_ = 0;
    uint64_t turns_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace server
