// A game server started in process on loopback with free ports, a temporary
// database, a settable clock and a captured log.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/game_server.h"

namespace server::testing {

// A temporary folder removed with its files.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class TestServer {
public:
    // Adjusts `config` (ports, address, clock, log); the database goes into a fresh folder
    // unless config.databasePath is already absolute or a PostgreSQL URL.
    explicit TestServer(ServerConfig config = DefaultConfig());
    ~TestServer();

    // Stops the server and starts a new one on the same database file and settings.
    void Restart();

    uint16_t gamePort() const { return gamePort_; }
    uint16_t httpPort() const { return httpPort_; }
    uint16_t adminPort() const { return adminPort_; }
    const std::string& databasePath() const { return config_.databasePath; }

    // Moves the clock that the draw limit reads.
    void AdvanceClock(std::chrono::hours hours);

    // The log lines so far.
    std::vector<std::string> LogLines() const;

    static ServerConfig DefaultConfig();

private:
    void Start();
    void Stop();

    TemporaryFolder folder_;
    ServerConfig config_;
    std::shared_ptr<std::atomic<int64_t>> clockSeconds_;
    std::shared_ptr<std::mutex> logMutex_;
    std::shared_ptr<std::vector<std::string>> log_;
    std::unique_ptr<GameServer> server_;
    std::thread thread_;
    uint16_t gamePort_ = 0;
    uint16_t httpPort_ = 0;
    uint16_t adminPort_ = 0;
};

}  // namespace server::testing
