#include "support/test_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace server::testing {

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumadrel-server-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path_ = made ? made : "";
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

ServerConfig TestServer::DefaultConfig() {
    ServerConfig config;
    config.passwordIterations = 1000;  // the cost does not change what is tested
    config.hashingThreads = 2;
    config.drawLimit = 3;
    // One loopback address stands in for many players here; the per-address limits have tests of their own.
    config.maxConnectionsPerAddress = 0;
    config.loginsPerMinute = 0;
    config.registrationsPerMinute = 0;
    return config;
}

TestServer::TestServer(ServerConfig config)
    : config_(std::move(config)),
      // Noon, so that moving by whole days never lands on a date change in any time zone.
      clockSeconds_(std::make_shared<std::atomic<int64_t>>(1767268800)),
      logMutex_(std::make_shared<std::mutex>()),
      log_(std::make_shared<std::vector<std::string>>()) {
    config_.address = "127.0.0.1";
    config_.gamePort = 0;
    config_.httpPort = 0;
    if (config_.databasePath.empty() ||
        (config_.databasePath.front() != '/' && !IsPostgresLocation(config_.databasePath))) {
        config_.databasePath = folder_.path() + "/server.db";
    }
    auto seconds = clockSeconds_;
    config_.clock = [seconds] { return std::chrono::system_clock::time_point(std::chrono::seconds(seconds->load())); };
    auto mutex = logMutex_;
    auto lines = log_;
    config_.log = [mutex, lines](std::string_view line) {
        std::lock_guard<std::mutex> lock(*mutex);
        lines->emplace_back(line);
    };
    Start();
}

TestServer::~TestServer() { Stop(); }

void TestServer::Start() {
    server_ = std::make_unique<GameServer>(config_);
    if (auto opened = server_->Open(); !opened) {
        ADD_FAILURE() << "the server did not start: " << opened.error().message;
        return;
    }
    gamePort_ = server_->GameEndpoint().port();
    httpPort_ = server_->HttpEndpoint().port();
    adminPort_ = server_->AdminEndpoint().port();
    thread_ = std::thread([server = server_.get()] { server->Run(); });
}

void TestServer::Stop() {
    if (!server_) return;
    server_->Stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
}

void TestServer::Restart() {
    Stop();
    Start();
}

void TestServer::AdvanceClock(std::chrono::hours hours) {
    clockSeconds_->fetch_add(std::chrono::duration_cast<std::chrono::seconds>(hours).count());
}

std::vector<std::string> TestServer::LogLines() const {
    std::lock_guard<std::mutex> lock(*logMutex_);
    return *log_;
}

}  // namespace server::testing
