#include "server/refusal_tally.h"

#include <string_view>

namespace server {

namespace {

constexpr std::string_view kDescriptions[] = {
    "connections over the total limit",
    "connections over the per-address limit",
    "accept failures",
    "logins over the per-address rate",
    "registrations over the per-address rate",
    "logins or registrations with the hashing queue full",
};
static_assert(std::size(kDescriptions) == static_cast<size_t>(Refusal::HashingQueueFull) + 1);

}  // namespace

void RefusalTally::Count(Refusal what, std::string detail) {
    auto index = static_cast<size_t>(what);
    ++counts_[index];
    ++totals_[index];
    if (!detail.empty()) details_[index] = std::move(detail);
}

std::string RefusalTally::TakeSummary() {
    std::string summary;
    for (size_t i = 0; i < kKinds; ++i) {
        if (counts_[i] == 0) continue;
        if (!summary.empty()) summary += ", ";
        summary += std::to_string(counts_[i]) + " " + std::string(kDescriptions[i]);
        if (!details_[i].empty()) summary += " (" + details_[i] + ")";
        counts_[i] = 0;
        details_[i].clear();
    }
    return summary;
}

}  // namespace server
