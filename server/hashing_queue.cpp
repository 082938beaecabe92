#include "server/hashing_queue.h"

#include <algorithm>
#include <tuple>

namespace server {

HashingQueue::HashingQueue(unsigned threads, size_t maxWaiting, size_t maxWaitingPerAddress)
    : maxWaiting_(maxWaiting),
      maxWaitingPerAddress_(maxWaitingPerAddress),
      maxRunningPerAddress_(std::max(1u, threads) > 1 ? threads - 1 : 1) {
    for (unsigned i = 0; i < std::max(1u, threads); ++i) threads_.emplace_back([this] { Work(); });
}

HashingQueue::~HashingQueue() { Stop(); }

bool HashingQueue::Submit(const std::string& address, std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ || waiting_ >= maxWaiting_) return false;
        auto [found, added] = addresses_.try_emplace(address);
        Address& entry = found->second;
        // A newcomer queues behind the addresses that came before it.
        if (added) entry.lastServed = ++turns_;
        if (entry.waiting.size() >= maxWaitingPerAddress_) {
            if (entry.running == 0 && entry.waiting.empty()) addresses_.erase(address);
            return false;
        }
        entry.waiting.push_back(std::move(job));
        ++waiting_;
    }
    wake_.notify_one();
    return true;
}

size_t HashingQueue::Waiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_;
}

void HashingQueue::Stop() {
    std::vector<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ && threads_.empty()) return;
        stopping_ = true;
        for (auto& [address, entry] : addresses_) {
            for (auto& job : entry.waiting) dropped.push_back(std::move(job));
            entry.waiting.clear();
        }
        waiting_ = 0;
    }
    dropped.clear();  // outside the lock: what a job holds may take time to release
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
}

std::unordered_map<std::string, HashingQueue::Address>::iterator HashingQueue::NextAddress() {
    auto best = addresses_.end();
    for (auto it = addresses_.begin(); it != addresses_.end(); ++it) {
        if (it->second.waiting.empty() || it->second.running >= maxRunningPerAddress_) continue;
        if (best == addresses_.end() || std::tie(it->second.running, it->second.lastServed) <
                                            std::tie(best->second.running, best->second.lastServed)) {
            best = it;
        }
    }
    return best;
}

void HashingQueue::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        auto next = addresses_.end();
        wake_.wait(lock, [&] { return stopping_ || (next = NextAddress()) != addresses_.end(); });
        if (stopping_) return;
        std::string address = next->first;
        Address& entry = next->second;
        std::function<void()> job = std::move(entry.waiting.front());
        entry.waiting.pop_front();
        --waiting_;
        ++entry.running;
        entry.lastServed = ++turns_;
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
        // Entries are erased only when idle, so the address is still there.
        Address& finished = addresses_[address];
        if (--finished.running == 0 && finished.waiting.empty()) addresses_.erase(address);
    }
}

}  // namespace server
