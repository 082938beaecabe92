// Counts what a flood would otherwise log line by line, for one summary line per interval.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace server {

enum class Refusal {
    ConnectionOverTotal,
    ConnectionOverAddress,
    AcceptFailed,
    LoginOverRate,
    RegistrationOverRate,
    HashingQueueFull,
};

// Used from the I/O thread only.
class RefusalTally {
public:
    // `detail` (an error message, say) is shown with the count; the last one given is kept.
    void Count(Refusal what, std::string detail = {});

    // "368 connections over the per-address limit, 2 accept failures (Too many open
    // files)", or empty when nothing was counted; starts counting afresh.
    std::string TakeSummary();

    // Everything counted since the start, for the metrics.
    uint64_t Total(Refusal what) const { return totals_[static_cast<size_t>(what)]; }

private:
    static constexpr size_t kKinds = static_cast<size_t>(Refusal::HashingQueueFull) + 1;
    std::array<size_t, kKinds> counts_{};
    std::array<std::string, kKinds> details_;
    std::array<uint64_t, kKinds> totals_{};
};

}  // namespace server
