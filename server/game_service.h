// Turns requests into replies: accounts, roles, the dungeon and enchant
// acknowledgements and the lucky draw.
#pragma once

#include <asio/io_context.hpp>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/text/gbk_converter.h"
#include "server/account_store.h"
#include "server/draw_rules.h"
#include "server/hashing_queue.h"
#include "server/player_session.h"
#include "server/rate_limiter.h"
#include "server/refusal_tally.h"
#include "server/request_parser.h"
#include "server/server_config.h"
#include "server/server_log.h"
#include "server/server_metrics.h"

namespace server {

using ReplyHandler = std::function<void(std::string reply)>;

struct ServiceLimits {
    int passwordIterations = 600000;
    unsigned loginsPerMinute = 0;         // per address; 0: no limit
    unsigned registrationsPerMinute = 0;  // per address; 0: no limit
};

class GameService {
public:
    // Password hashing runs on `hashing`; everything else, and every call of a reply
    // handler, on the thread that runs `io`. Refusals under load are counted in `refusals`,
    // every answer in `metrics`.
    GameService(asio::io_context& io, HashingQueue& hashing, AccountStore& store, DrawRules rules,
                ServiceLimits limits, Clock clock, const ServerLog& log, RefusalTally& refusals,
                ServerMetrics& metrics);

    // Calls `done` exactly once, possibly before returning. `player` must stay valid
    // until then.
    void Handle(PlayerSession& player, Request request, ReplyHandler done);

    // Forgets the rate-limit state of addresses that have been quiet for a while.
    void PruneRateLimits();

private:
    void Register(PlayerSession& player, std::string account, std::string password, ReplyHandler done);
    void FinishRegister(PlayerSession& player, const std::string& account, const std::string& name,
                        const std::string& record, const ReplyHandler& done);
    void Login(PlayerSession& player, std::string account, std::string password, ReplyHandler done);
    void FinishLogin(PlayerSession& player, const std::string& account, int64_t accountId, bool matches,
                     const ReplyHandler& done);
    void LeaveDungeon(PlayerSession& player, const std::string& role, const ReplyHandler& done);
    void Enchant(PlayerSession& player, const std::string& role, const ReplyHandler& done);
    void Draw(PlayerSession& player, const std::string& account, const std::string& slotText,
              const ReplyHandler& done);

    // Counts the answer by command and result, and times logins and registrations.
    void CountAnswer(Command command, std::chrono::steady_clock::time_point started, const std::string& reply);
    void StoreFailed(const PlayerSession& player, const char* action, StoreOperation operation,
                     const StoreError& error);
    const SessionRole* FindRole(const PlayerSession& player, const std::string& role) const;
    void Log(const PlayerSession& player, const std::string& event);
    std::string Field(const std::string& gbk) { return LogField(converter_, gbk); }

    asio::io_context& io_;
    HashingQueue& hashing_;
    AccountStore& store_;
    DrawRules rules_;
    int passwordIterations_;
    Clock clock_;
    const ServerLog& log_;
    RefusalTally& refusals_;
    ServerMetrics& metrics_;
    AddressRateLimiter loginRate_;
    AddressRateLimiter registrationRate_;
    common::GbkConverter converter_;
    std::vector<std::string> roleClasses_;  // UTF-8
    std::string unknownAccountRecord_;      // checked against so unknown names cost the same time
};

}  // namespace server
