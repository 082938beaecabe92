// What the update is doing, written by the worker thread and read by the
// window's timer: one lock, short critical sections, no waiting.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace updater {

struct ProgressSnapshot {
    std::string activity;  // GBK: what the updater is doing
    std::string file;      // GBK: the file it is working on, or empty
    uint64_t done = 0;     // bytes of this activity done
    uint64_t total = 0;    // bytes of this activity in all; 0 when not counted
    uint64_t saved = 0;    // bytes a download need not fetch (found on the player's disk)
};

class UpdateProgress {
public:
    // A new activity: its counters start again.
    void Begin(std::string activity, uint64_t total = 0, uint64_t saved = 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = ProgressSnapshot{std::move(activity), std::string(), 0, total, saved};
    }
    void SetFile(std::string file) {
        std::lock_guard<std::mutex> lock(mutex_);
        state_.file = std::move(file);
    }
    void Add(uint64_t bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        state_.done += bytes;
    }
    ProgressSnapshot Read() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return state_;
    }

private:
    mutable std::mutex mutex_;
    ProgressSnapshot state_;
};

// "12.3 MB / 200.0 MB，4.5 MB/秒，节省 1.2 GB" (GBK); the rate is left out
// while unknown, the saving when there is none.
std::string ProgressLine(uint64_t done, uint64_t total, double bytesPerSecond, uint64_t saved = 0);
// "512 字节", "12.3 KB", "4.5 MB", "1.2 GB".
std::string ByteCount(uint64_t bytes);

}  // namespace updater
