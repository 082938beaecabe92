#include "server/game_service.h"

#include <asio/post.hpp>

#include <algorithm>
#include <chrono>

#include "server/password_hash.h"
#include "server/replies.h"

namespace server {

namespace {

constexpr size_t kMinimumLength = 6;
constexpr size_t kMaximumAccountLength = 32;
constexpr size_t kMaximumPasswordLength = 64;

// Each new account gets one role of each class, in this order.
constexpr std::string_view kRoleClasses[] = {"剑客", "法师", "弓手"};

bool HoldsControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// The ASCII space and the ideographic space that Chinese input methods type.
constexpr std::string_view kBlanks[] = {" ", "　"};

bool StartsWithBlank(std::string_view text) {
    return std::any_of(std::begin(kBlanks), std::end(kBlanks),
                       [&](std::string_view blank) { return text.starts_with(blank); });
}

bool EndsWithBlank(std::string_view text) {
    return std::any_of(std::begin(kBlanks), std::end(kBlanks), [&](std::string_view blank) {
        return text.ends_with(blank) && IsGbkCharacterBoundary(text, text.size() - blank.size());
    });
}

// For a name already known to be GBK. A name of blanks only starts with one.
bool IsAcceptableAccountName(std::string_view gbk) {
    return gbk.size() >= kMinimumLength && gbk.size() <= kMaximumAccountLength && !HoldsControlCharacter(gbk) &&
           !StartsWithBlank(gbk) && !EndsWithBlank(gbk);
}

int64_t UnixSeconds(std::chrono::system_clock::time_point moment) {
    return std::chrono::duration_cast<std::chrono::seconds>(moment.time_since_epoch()).count();
}

std::string LoginBusy() { return replies::Refusal(replies::kLoginError, replies::kServerBusy); }

std::string RegistrationBusy() { return replies::Refusal(replies::kRegisterFailed, replies::kServerBusy); }

}  // namespace

GameService::GameService(asio::io_context& io, HashingQueue& hashing, AccountStore& store, DrawRules rules,
                         ServiceLimits limits, Clock clock, const ServerLog& log, RefusalTally& refusals,
                         ServerMetrics& metrics)
    : io_(io),
      hashing_(hashing),
      store_(store),
      rules_(rules),
      passwordIterations_(limits.passwordIterations),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::system_clock::now(); })),
      log_(log),
      refusals_(refusals),
      metrics_(metrics),
      loginRate_(limits.loginsPerMinute),
      registrationRate_(limits.registrationsPerMinute) {
    for (std::string_view roleClass : kRoleClasses) {
        std::string utf8;
        if (converter_.ToUtf8(roleClass, utf8)) roleClasses_.push_back(std::move(utf8));
    }
    unknownAccountRecord_ = MakePasswordRecord("", passwordIterations_);
}

void GameService::Handle(PlayerSession& player, Request request, ReplyHandler answer) {
    ReplyHandler done = [this, command = request.command, started = std::chrono::steady_clock::now(),
                         answer = std::move(answer)](std::string reply) {
        CountAnswer(command, started, reply);
        answer(std::move(reply));
    };
    std::vector<std::string>& fields = request.fields;
    switch (request.command) {
    case Command::RegisterAccount:
        return Register(player, std::move(fields[0]), std::move(fields[1]), std::move(done));
    case Command::ShopLogin:
        return Login(player, std::move(fields[0]), std::move(fields[1]), std::move(done));
    case Command::LeaveDungeon:
        return LeaveDungeon(player, fields[0], done);
    case Command::EnchantEquipment:
        return Enchant(player, fields[0], done);
    case Command::LuckyDraw:
        return Draw(player, fields[0], fields[1], done);
    }
}

void GameService::CountAnswer(Command command, std::chrono::steady_clock::time_point started,
                              const std::string& reply) {
    static constexpr std::string_view kSuccess[] = {replies::kRegistered, "登陆成功", replies::kLeftDungeon,
                                                    replies::kEnchanted, "抽奖结果"};
    RequestResult result = std::string_view(reply).ends_with(replies::kServerBusy) ? RequestResult::Busy
                           : reply.starts_with(kSuccess[static_cast<size_t>(command)]) ? RequestResult::Ok
                                                                                      : RequestResult::Refused;
    metrics_.CountRequest(command, result);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (command == Command::ShopLogin) metrics_.ObserveLogin(seconds);
    if (command == Command::RegisterAccount) metrics_.ObserveRegistration(seconds);
}

void GameService::StoreFailed(const PlayerSession& player, const char* action, StoreOperation operation,
                              const StoreError& error) {
    metrics_.CountStoreError(operation);
    Log(player, std::string(action) + " failed: store: " + error.message);
}

void GameService::PruneRateLimits() {
    auto now = AddressRateLimiter::Clock::now();
    loginRate_.Prune(now);
    registrationRate_.Prune(now);
}

void GameService::Log(const PlayerSession& player, const std::string& event) {
    log_.Write(player.peer + " " + event);
}

void GameService::Register(PlayerSession& player, std::string account, std::string password, ReplyHandler done) {
    if (!registrationRate_.Allow(player.address, AddressRateLimiter::Clock::now())) {
        refusals_.Count(Refusal::RegistrationOverRate);
        return done(RegistrationBusy());
    }
    std::string name;
    if (!converter_.ToUtf8(account, name) || !IsAcceptableAccountName(account) ||
        password.size() < kMinimumLength || password.size() > kMaximumPasswordLength) {
        if (log_.Enabled()) Log(player, "register refused account=" + Field(account) + " (length or characters)");
        return done(replies::Refusal(replies::kRegisterFailed, replies::kBadAccountOrPassword));
    }
    auto found = store_.FindAccount(name);
    if (found) {
        if (log_.Enabled()) Log(player, "register refused account=" + Field(account) + " (exists)");
        return done(std::string(replies::kAccountExists));
    }
    if (found.error().code != StoreStatus::NotFound) {
        StoreFailed(player, "register", StoreOperation::FindAccount, found.error());
        return done(RegistrationBusy());
    }
    bool queued = hashing_.Submit(player.address, [this, &player, account = std::move(account), name = std::move(name),
                                                   password = std::move(password), done]() mutable {
        std::string record = MakePasswordRecord(password, passwordIterations_);
        asio::post(io_, [this, &player, account = std::move(account), name = std::move(name),
                         record = std::move(record), done = std::move(done)] {
            FinishRegister(player, account, name, record, done);
        });
    });
    if (!queued) {
        refusals_.Count(Refusal::HashingQueueFull);
        done(RegistrationBusy());
    }
}

void GameService::FinishRegister(PlayerSession& player, const std::string& account, const std::string& name,
                                 const std::string& record, const ReplyHandler& done) {
    if (record.empty()) {
        Log(player, "register failed: password hashing refused");
        return done(RegistrationBusy());
    }
    auto created = store_.CreateAccount(name, record, roleClasses_, UnixSeconds(clock_()));
    if (!created && created.error().code == StoreStatus::AlreadyExists) {
        if (log_.Enabled()) Log(player, "register refused account=" + Field(account) + " (exists)");
        return done(std::string(replies::kAccountExists));
    }
    if (!created) {
        StoreFailed(player, "register", StoreOperation::CreateAccount, created.error());
        return done(RegistrationBusy());
    }
    if (log_.Enabled()) {
        Log(player, "register account=" + Field(account) + " roles=" + std::to_string(created->size()));
    }
    done(std::string(replies::kRegistered));
}

void GameService::Login(PlayerSession& player, std::string account, std::string password, ReplyHandler done) {
    // A new attempt ends the previous login on this connection, whatever its outcome.
    player.LogOut();
    if (!loginRate_.Allow(player.address, AddressRateLimiter::Clock::now())) {
        refusals_.Count(Refusal::LoginOverRate);
        return done(LoginBusy());
    }
    std::string name;
    StoredAccount stored;
    bool known = false;
    if (converter_.ToUtf8(account, name)) {
        auto found = store_.FindAccount(name);
        if (!found && found.error().code == StoreStatus::Failed) {
            StoreFailed(player, "login", StoreOperation::FindAccount, found.error());
            return done(replies::Refusal(replies::kLoginFailed, replies::kServerBusy));
        }
        known = static_cast<bool>(found);
        if (known) stored = std::move(*found);
    }
    std::string record = known ? stored.passwordRecord : unknownAccountRecord_;
    bool queued = hashing_.Submit(player.address, [this, &player, known, accountId = stored.id,
                                                   account = std::move(account), password = std::move(password),
                                                   record = std::move(record), done]() mutable {
        bool matches = CheckPassword(password, record) && known;
        asio::post(io_, [this, &player, accountId, matches, account = std::move(account), done = std::move(done)] {
            FinishLogin(player, account, accountId, matches, done);
        });
    });
    if (!queued) {
        refusals_.Count(Refusal::HashingQueueFull);
        done(LoginBusy());
    }
}

void GameService::FinishLogin(PlayerSession& player, const std::string& account, int64_t accountId, bool matches,
                              const ReplyHandler& done) {
    if (!matches) {
        if (log_.Enabled()) Log(player, "login refused account=" + Field(account));
        return done(std::string(replies::kLoginError));
    }
    auto stored = store_.ListRoles(accountId);
    if (!stored) {
        StoreFailed(player, "login", StoreOperation::ListRoles, stored.error());
        return done(replies::Refusal(replies::kLoginFailed, replies::kServerBusy));
    }
    std::vector<SessionRole> roles;
    std::vector<std::string> names;
    for (StoredRole& role : *stored) {
        std::string gbk;
        if (!converter_.ToGbk(role.name, gbk)) continue;  // only names written by another tool can fail
        names.push_back(gbk);
        roles.push_back({role.id, std::move(gbk)});
    }
    player.accountId = accountId;
    player.accountName = account;
    player.roles = std::move(roles);
    if (log_.Enabled()) Log(player, "login account=" + Field(account) + " roles=" + std::to_string(names.size()));
    done(replies::LoginOk(names));
}

const SessionRole* GameService::FindRole(const PlayerSession& player, const std::string& role) const {
    for (const SessionRole& candidate : player.roles) {
        if (candidate.name == role) return &candidate;
    }
    return nullptr;
}

void GameService::LeaveDungeon(PlayerSession& player, const std::string& role, const ReplyHandler& done) {
    if (!player.LoggedIn()) {
        if (log_.Enabled()) Log(player, "leave-dungeon refused role=" + Field(role) + " (not logged in)");
        return done(replies::Refusal(replies::kLeaveFailed, replies::kNotLoggedIn));
    }
    if (!FindRole(player, role)) {
        if (log_.Enabled()) Log(player, "leave-dungeon refused role=" + Field(role) + " (not this account's)");
        return done(replies::Refusal(replies::kLeaveFailed, replies::kUnknownRole));
    }
    if (log_.Enabled()) Log(player, "leave-dungeon role=" + Field(role));
    done(std::string(replies::kLeftDungeon));
}

void GameService::Enchant(PlayerSession& player, const std::string& role, const ReplyHandler& done) {
    if (!player.LoggedIn()) {
        if (log_.Enabled()) Log(player, "enchant refused role=" + Field(role) + " (not logged in)");
        return done(replies::Refusal(replies::kEnchantFailed, replies::kNotLoggedIn));
    }
    const SessionRole* found = FindRole(player, role);
    auto raised = found ? store_.RaiseEnchantLevel(found->id)
                        : StoreResult<int64_t>(StoreError{StoreStatus::NotFound, "no such role"});
    if (!raised && raised.error().code == StoreStatus::NotFound) {
        if (log_.Enabled()) Log(player, "enchant refused role=" + Field(role) + " (not this account's)");
        return done(replies::Refusal(replies::kEnchantFailed, replies::kUnknownRole));
    }
    if (!raised) {
        StoreFailed(player, "enchant", StoreOperation::RaiseEnchantLevel, raised.error());
        return done(replies::Refusal(replies::kEnchantFailed, replies::kServerBusy));
    }
    if (log_.Enabled()) Log(player, "enchant role=" + Field(role) + " level=" + std::to_string(*raised));
    done(std::string(replies::kEnchanted));
}

void GameService::Draw(PlayerSession& player, const std::string& account, const std::string& slotText,
                       const ReplyHandler& done) {
    // The request names an account; only the one logged in on this connection may draw.
    if (!player.LoggedIn() || account != player.accountName) {
        if (log_.Enabled()) Log(player, "draw refused account=" + Field(account) + " (not logged in)");
        return done(replies::Refusal(replies::kDrawFailed, replies::kNotLoggedIn));
    }
    int slot = 0;
    if (!DrawRules::ParseSlot(slotText, slot)) {
        if (log_.Enabled()) Log(player, "draw refused slot=" + Field(slotText));
        return done(replies::Refusal(replies::kDrawFailed, replies::kBadSlot));
    }
    auto now = clock_();
    int prize = DrawRules::PrizeForSlot(slot);
    auto recorded = store_.RecordDraw(player.accountId, DrawRules::DayOf(now), rules_.dailyLimit(), slot, prize,
                                      UnixSeconds(now));
    if (!recorded && recorded.error().code == StoreStatus::LimitReached) {
        if (log_.Enabled()) Log(player, "draw refused account=" + Field(account) + " (daily limit)");
        return done(std::string(replies::kDrawsUsedUp));
    }
    if (!recorded) {
        StoreFailed(player, "draw", StoreOperation::RecordDraw, recorded.error());
        return done(replies::Refusal(replies::kDrawFailed, replies::kServerBusy));
    }
    const int drawsLeft = *recorded;
    metrics_.CountDrawGranted(prize);
    if (log_.Enabled()) {
        Log(player, "draw account=" + Field(account) + " slot=" + std::to_string(slot) +
                        " prize=" + std::to_string(prize) + " left=" + std::to_string(drawsLeft));
    }
    done(replies::DrawResult(prize, drawsLeft));
}

}  // namespace server
