#include "server/rate_limiter.h"

#include <algorithm>
#include <iterator>

namespace server {

double AddressRateLimiter::Refill(Bucket& bucket, Clock::time_point now) const {
    double minutes = std::chrono::duration<double, std::ratio<60>>(now - bucket.updated).count();
    if (minutes > 0) {
        bucket.tokens = std::min<double>(perMinute_, bucket.tokens + minutes * perMinute_);
        bucket.updated = now;
    }
    return bucket.tokens;
}

bool AddressRateLimiter::Allow(const std::string& address, Clock::time_point now) {
    if (perMinute_ == 0) return true;
    auto [found, added] = buckets_.try_emplace(address, Bucket{static_cast<double>(perMinute_), now});
    if (Refill(found->second, now) < 1) return false;
    found->second.tokens -= 1;
    return true;
}

void AddressRateLimiter::Prune(Clock::time_point now) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        it = Refill(it->second, now) >= perMinute_ ? buckets_.erase(it) : std::next(it);
    }
}

}  // namespace server
