// What the server counts for its /metrics page, and the page in the Prometheus text
// format. Labels name commands, results and reasons only: nothing of a player's
// (names, passwords, addresses) ever becomes a label. Used from the I/O thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/refusal_tally.h"
#include "server/request_parser.h"

namespace server {

class LatencyHistogram {
public:
    static constexpr std::array<double, 12> kBounds = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25,
                                                       0.5,   1,    2.5,   5,    10,  30};
    void Observe(double seconds);
    void Render(std::string& page, std::string_view name, std::string_view help) const;

private:
    std::array<uint64_t, kBounds.size()> buckets_{};  // each counts only its own range; summed when shown
    uint64_t count_ = 0;
    double sum_ = 0;
};

// Ok: what was asked for was done. Refused: the client's request cannot be granted
// (bad input, wrong password, name taken, draws used up). Busy: the server could not
// serve it now (over a rate, queue full, store failure).
enum class RequestResult { Ok, Refused, Busy };

enum class StoreOperation { FindAccount, CreateAccount, ListRoles, RaiseEnchantLevel, RecordDraw, Ping };

// What the page shows that others keep, read when it is asked for.
struct MetricsSources {
    size_t connectionsOpen = 0;
    size_t hashingWaiting = 0;
    const RefusalTally* refusals = nullptr;
};

class ServerMetrics {
public:
    void CountRequest(Command command, RequestResult result);
    void ObserveLogin(double seconds) { loginLatency_.Observe(seconds); }
    void ObserveRegistration(double seconds) { registrationLatency_.Observe(seconds); }
    void CountStoreError(StoreOperation operation) { ++storeErrors_[static_cast<size_t>(operation)]; }
    void AddHttpBytes(uint64_t bytes) { httpBytes_ += bytes; }
    void CountDrawGranted(int prize);

    std::string Render(const MetricsSources& sources) const;

private:
    static constexpr size_t kCommands = static_cast<size_t>(Command::LuckyDraw) + 1;
    static constexpr size_t kResults = static_cast<size_t>(RequestResult::Busy) + 1;
    static constexpr size_t kOperations = static_cast<size_t>(StoreOperation::Ping) + 1;

    std::array<std::array<uint64_t, kResults>, kCommands> requests_{};
    LatencyHistogram loginLatency_;
    LatencyHistogram registrationLatency_;
    std::array<uint64_t, kOperations> storeErrors_{};
    uint64_t httpBytes_ = 0;
    uint64_t drawsGranted_ = 0;
    uint64_t diamondsCredited_ = 0;
};

}  // namespace server
