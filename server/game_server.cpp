#include "server/game_server.h"

#include <algorithm>
#include <thread>

#include "server/draw_rules.h"
#include "server/game_session.h"
#include "server/http_session.h"

namespace server {

namespace {

constexpr std::chrono::milliseconds kAcceptPause{100};

unsigned HashingThreads(unsigned configured) {
    if (configured > 0) return configured;
    return std::max(1u, std::thread::hardware_concurrency());
}

bool Bind(asio::ip::tcp::acceptor& acceptor, const asio::ip::tcp::endpoint& endpoint, std::string& error) {
    std::error_code code;
    acceptor.open(endpoint.protocol(), code);
    if (!code) acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true), code);
    if (!code) acceptor.bind(endpoint, code);
    if (!code) acceptor.listen(asio::socket_base::max_listen_connections, code);
    if (code) {
        error = "cannot listen on " + endpoint.address().to_string() + ":" + std::to_string(endpoint.port()) + ": " +
                code.message();
        return false;
    }
    return true;
}

}  // namespace

GameServer::GameServer(ServerConfig config)
    : config_(std::move(config)),
      log_(config_.log),
      document_(config_.version),
      hashing_(HashingThreads(config_.hashingThreads)),
      gameAcceptor_(io_),
      httpAcceptor_(io_),
      gamePause_(io_),
      httpPause_(io_) {}

GameServer::~GameServer() {
    Stop();
    // Hashing jobs refer to the service and post back to io_: finish them first.
    hashing_.join();
}

bool GameServer::Open(std::string& error) {
    std::error_code code;
    asio::ip::address address = asio::ip::make_address(config_.address, code);
    if (code) {
        error = "not an IP address: " + config_.address;
        return false;
    }
    store_ = AccountStore::Open(config_.databasePath, error);
    if (!store_) return false;
    if (!Bind(gameAcceptor_, {address, config_.gamePort}, error)) return false;
    if (!Bind(httpAcceptor_, {address, config_.httpPort}, error)) return false;
    service_.emplace(io_, hashing_, *store_, DrawRules(config_.drawLimit), config_.passwordIterations,
                     config_.clock, log_);
    AcceptGame();
    AcceptHttp();
    return true;
}

asio::ip::tcp::endpoint GameServer::GameEndpoint() const {
    std::error_code ignored;
    return gameAcceptor_.local_endpoint(ignored);
}

asio::ip::tcp::endpoint GameServer::HttpEndpoint() const {
    std::error_code ignored;
    return httpAcceptor_.local_endpoint(ignored);
}

void GameServer::Run() { io_.run(); }

void GameServer::Stop() { io_.stop(); }

bool GameServer::PauseAfterAcceptError(const std::error_code& error, asio::steady_timer& pause,
                                       void (GameServer::*resume)()) {
    log_.Write("accept failed: " + error.message());
    if (error == asio::error::connection_aborted) return false;
    pause.expires_after(kAcceptPause);
    pause.async_wait([this, resume](const std::error_code& waited) {
        if (!waited) (this->*resume)();
    });
    return true;
}

void GameServer::AcceptGame() {
    gameAcceptor_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (error) {
            if (PauseAfterAcceptError(error, gamePause_, &GameServer::AcceptGame)) return;
        } else {
            SessionLimits limits{config_.requestTimeout, config_.maxRequestBytes};
            std::make_shared<GameSession>(std::move(socket), *service_, log_, limits, openSessions_)->Start();
        }
        AcceptGame();
    });
}

void GameServer::AcceptHttp() {
    httpAcceptor_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (error) {
            if (PauseAfterAcceptError(error, httpPause_, &GameServer::AcceptHttp)) return;
        } else {
            std::make_shared<HttpSession>(std::move(socket), document_, log_, config_.requestTimeout,
                                          config_.wwwRoot)->Start();
        }
        AcceptHttp();
    });
}

}  // namespace server
