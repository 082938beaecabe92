// Per-address rate limits: a token bucket per client address.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

namespace server {

// An address may take up to `perMinute` at once, and then `perMinute` a minute.
// Used from one thread.
class AddressRateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    // 0 allows everything.
    explicit AddressRateLimiter(unsigned perMinute) : perMinute_(perMinute) {}

    // Takes one from the address's bucket; false when it is empty.
    bool Allow(const std::string& address, Clock::time_point now);

    // Forgets addresses whose bucket has filled up again, so the table holds only recent ones.
    void Prune(Clock::time_point now);

    size_t tracked() const { return buckets_.size(); }

private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point updated;
    };
    double Refill(Bucket& bucket, Clock::time_point now) const;

    unsigned perMinute_;
    std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace server
