// The anchor of the server benches: password derivations per second with the
// server's default parameters and nothing else around them.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "server/password_hash.h"
#include "server/server_config.h"

namespace bench {

// Derivations per second of `threads` threads each running PBKDF2 for
// `measureTime`, timed until the last one started is done.
inline double MeasureBarePbkdf2(unsigned threads, std::chrono::seconds measureTime) {
    using Clock = std::chrono::steady_clock;
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> completed{0};
    int iterations = server::ServerConfig{}.passwordIterations;
    auto start = Clock::now();
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i) {
        workers.emplace_back([&] {
            std::array<uint8_t, 16> salt{};
            std::array<uint8_t, 32> hash{};
            while (!stop.load(std::memory_order_relaxed)) {
                server::DerivePbkdf2Sha256("benchpass", salt, iterations, hash);
                ++completed;
            }
        });
    }
    std::this_thread::sleep_for(measureTime);
    stop = true;
    for (std::thread& worker : workers) worker.join();
    return static_cast<double>(completed) / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace bench
