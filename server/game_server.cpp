#include "server/game_server.h"

#include <sys/resource.h>

#include <algorithm>
#include <thread>

#include "server/draw_rules.h"
#include "server/game_session.h"
#include "server/http_session.h"

namespace server {

namespace {

constexpr std::chrono::milliseconds kFirstAcceptPause{10};
constexpr std::chrono::milliseconds kLongestAcceptPause{1000};
// Descriptors kept for the database, the log, the acceptors, the event loop and the
// connection that is accepted only to be closed.
constexpr size_t kReservedDescriptors = 32;
constexpr size_t kMaxAdminConnections = 16;

unsigned HashingThreads(unsigned configured) {
    if (configured > 0) return configured;
    return std::max(1u, std::thread::hardware_concurrency());
}

size_t ConnectionsThatFit(size_t wanted) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return wanted;
    size_t descriptors = static_cast<size_t>(limit.rlim_cur);
    size_t room = descriptors > 2 * kReservedDescriptors ? descriptors - kReservedDescriptors : descriptors / 2;
    return std::max<size_t>(1, std::min(wanted, room));
}

common::Result<void> Bind(asio::ip::tcp::acceptor& acceptor, const asio::ip::tcp::endpoint& endpoint) {
    std::error_code code;
    acceptor.open(endpoint.protocol(), code);
    if (!code) acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true), code);
    if (!code) acceptor.bind(endpoint, code);
    if (!code) acceptor.listen(asio::socket_base::max_listen_connections, code);
    if (code) {
        return common::Error{"cannot listen on " + endpoint.address().to_string() + ":" +
                             std::to_string(endpoint.port()) + ": " + code.message()};
    }
    return {};
}

}  // namespace

GameServer::GameServer(ServerConfig config)
    : config_(std::move(config)),
      log_(config_.log),
      connections_(ConnectionsThatFit(config_.maxConnections), config_.maxConnectionsPerAddress),
      document_(config_.version),
      hashing_(HashingThreads(config_.hashingThreads), config_.hashQueue, config_.hashQueuePerAddress),
      game_(io_,
            [this](asio::ip::tcp::socket socket, ConnectionSlot slot) {
                SessionLimits limits{config_.requestTimeout, config_.idleTimeout, config_.maxRequestBytes};
                std::make_shared<GameSession>(std::move(socket), std::move(slot), *service_, log_, limits,
                                              connections_.open())
                    ->Start();
            }),
      http_(io_,
            [this](asio::ip::tcp::socket socket, ConnectionSlot slot) {
                std::make_shared<HttpSession>(std::move(socket), std::move(slot), document_, log_, metrics_,
                                              config_.requestTimeout,
                                              StaticSite{config_.wwwRoot, config_.wwwMostRanges})
                    ->Start();
            }),
      admin_(io_),
      summary_(io_) {
    adminPages_.metrics = [this] { return RenderMetrics(); };
    adminPages_.ready = [this]() -> common::Result<void> {
        auto answered = store_ ? store_->Ping() : StoreResult<>(StoreError{StoreStatus::Failed, "no store"});
        if (answered) return {};
        metrics_.CountStoreError(StoreOperation::Ping);
        return answered.error();
    };
}

GameServer::~GameServer() {
    Stop();
    // Hashing jobs refer to the service and post back to io_: finish them first.
    hashing_.Stop();
}

common::Result<void> GameServer::Open() {
    std::error_code code;
    asio::ip::address address = asio::ip::make_address(config_.address, code);
    if (code) return common::Error{"not an IP address: " + config_.address};
    auto store = OpenAccountStore(config_.databasePath);
    if (!store) return store.error();
    store_ = std::move(*store);
    asio::ip::address adminAddress = asio::ip::make_address(config_.adminAddress, code);
    if (code) return common::Error{"not an IP address: " + config_.adminAddress};
    if (auto bound = Bind(game_.acceptor, {address, config_.gamePort}); !bound) return bound;
    if (auto bound = Bind(http_.acceptor, {address, config_.httpPort}); !bound) return bound;
    if (config_.adminPort >= 0) {
        if (auto bound = Bind(admin_, {adminAddress, static_cast<uint16_t>(config_.adminPort)}); !bound) return bound;
    }
    if (connections_.maxTotal() < config_.maxConnections) {
        log_.Write("connection limit lowered to " + std::to_string(connections_.maxTotal()) +
                   " to fit the descriptor limit");
    }
    ServiceLimits limits{config_.passwordIterations, config_.loginsPerMinute, config_.registrationsPerMinute};
    service_.emplace(io_, hashing_, *store_, DrawRules(config_.drawLimit), limits, config_.clock, log_, refusals_,
                     metrics_);
    Accept(game_);
    Accept(http_);
    if (admin_.is_open()) AcceptAdmin();
    WriteSummaryEvery();
    return {};
}

asio::ip::tcp::endpoint GameServer::GameEndpoint() const {
    std::error_code ignored;
    return game_.acceptor.local_endpoint(ignored);
}

asio::ip::tcp::endpoint GameServer::HttpEndpoint() const {
    std::error_code ignored;
    return http_.acceptor.local_endpoint(ignored);
}

asio::ip::tcp::endpoint GameServer::AdminEndpoint() const {
    std::error_code ignored;
    return admin_.is_open() ? admin_.local_endpoint(ignored) : asio::ip::tcp::endpoint();
}

void GameServer::AcceptAdmin() {
    admin_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (!error) StartAdminSession(std::move(socket));
        AcceptAdmin();
    });
}

void GameServer::StartAdminSession(asio::ip::tcp::socket socket) {
    if (adminOpen_ >= kMaxAdminConnections) {
        std::error_code ignored;
        socket.close(ignored);
        return;
    }
    ++adminOpen_;
    auto session = std::make_shared<AdminSession>(std::move(socket), adminPages_, log_, config_.requestTimeout);
    session->OnEnd([this] { --adminOpen_; });
    session->Start();
}

std::string GameServer::RenderMetrics() {
    MetricsSources sources;
    sources.connectionsOpen = connections_.open();
    sources.hashingWaiting = hashing_.Waiting();
    sources.refusals = &refusals_;
    return metrics_.Render(sources);
}

void GameServer::Run() { io_.run(); }

void GameServer::Stop() { io_.stop(); }

void GameServer::Accept(Listener& listener) {
    listener.acceptor.async_accept([this, &listener](const std::error_code& error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (error == asio::error::connection_aborted) return Accept(listener);
        if (error) return PauseAfterAcceptError(listener, error);
        listener.backoff = std::chrono::milliseconds(0);
        Admit(listener, std::move(socket));
        Accept(listener);
    });
}

// Connections over a limit are closed at once and counted, not logged one by one.
void GameServer::Admit(Listener& listener, asio::ip::tcp::socket socket) {
    std::error_code code;
    asio::ip::tcp::endpoint remote = socket.remote_endpoint(code);
    if (code) return;  // already gone
    ConnectionSlot slot;
    switch (connections_.Admit(AddressKey(remote.address()), slot)) {
    case ConnectionLimiter::Verdict::Admitted:
        return listener.start(std::move(socket), std::move(slot));
    case ConnectionLimiter::Verdict::OverTotal:
        refusals_.Count(Refusal::ConnectionOverTotal);
        break;
    case ConnectionLimiter::Verdict::OverAddress:
        refusals_.Count(Refusal::ConnectionOverAddress);
        break;
    }
    socket.close(code);
}

void GameServer::PauseAfterAcceptError(Listener& listener, const std::error_code& error) {
    listener.backoff = std::clamp(listener.backoff * 2, kFirstAcceptPause, kLongestAcceptPause);
    refusals_.Count(Refusal::AcceptFailed,
                    error.message() + "; pausing up to " + std::to_string(listener.backoff.count()) + " ms");
    listener.pause.expires_after(listener.backoff);
    listener.pause.async_wait([this, &listener](const std::error_code& waited) {
        if (!waited) Accept(listener);
    });
}

void GameServer::WriteSummaryEvery() {
    summary_.expires_after(config_.summaryInterval);
    summary_.async_wait([this](const std::error_code& error) {
        if (error) return;
        std::string summary = refusals_.TakeSummary();
        if (!summary.empty()) {
            log_.Write("in the last " + std::to_string(config_.summaryInterval.count()) + " ms: " + summary);
        }
        service_->PruneRateLimits();
        WriteSummaryEvery();
    });
}

}  // namespace server
