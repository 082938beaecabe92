// The whole server: the game protocol and the update document, on one I/O thread,
// with password hashing on a small pool.
#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <asio/thread_pool.hpp>

#include <memory>
#include <optional>
#include <string>

#include "server/account_store.h"
#include "server/game_service.h"
#include "server/server_config.h"
#include "server/server_log.h"
#include "server/update_document.h"

namespace server {

class GameServer {
public:
    explicit GameServer(ServerConfig config);
    ~GameServer();
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    // Opens the store and binds both ports; false with `error` set on failure.
    bool Open(std::string& error);

    // The bound endpoints (with the real port when 0 was asked for); valid after Open.
    asio::ip::tcp::endpoint GameEndpoint() const;
    asio::ip::tcp::endpoint HttpEndpoint() const;

    // Serves on the calling thread until Stop.
    void Run();
    // May be called from any thread.
    void Stop();

private:
    void AcceptGame();
    void AcceptHttp();
    // Out of descriptors and the like: pause accepting instead of spinning on the error.
    bool PauseAfterAcceptError(const std::error_code& error, asio::steady_timer& pause,
                               void (GameServer::*resume)());

    // Declared so that io_ goes before what its pending handlers refer to.
    ServerConfig config_;
    ServerLog log_;
    size_t openSessions_ = 0;
    std::unique_ptr<AccountStore> store_;
    UpdateDocument document_;
    asio::thread_pool hashing_;
    asio::io_context io_;
    std::optional<GameService> service_;
    asio::ip::tcp::acceptor gameAcceptor_;
    asio::ip::tcp::acceptor httpAcceptor_;
    asio::steady_timer gamePause_;
    asio::steady_timer httpPause_;
};

}  // namespace server
