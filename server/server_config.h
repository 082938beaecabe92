// Everything the server is started with.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "server/server_log.h"

namespace server {

using Clock = std::function<std::chrono::system_clock::time_point()>;

// Where the version in the update document comes from.
struct VersionSource {
    enum class Kind { None, Text, UpdateIni };
    Kind kind = Kind::None;
    std::string value;  // Text: the version as GBK bytes; UpdateIni: the INI file's path
};

struct ServerConfig {
    std::string address = "0.0.0.0";
    uint16_t gamePort = 2013;  // 0 picks a free port
    uint16_t httpPort = 8080;  // 0 picks a free port
    std::string databasePath = "lumadrel-server.db";
    VersionSource version;
    std::string wwwRoot;  // --www: static files below this folder instead of the generated document
    int drawLimit = 3;
    int passwordIterations = 600000;
    unsigned hashingThreads = 0;  // 0: one per core
    std::chrono::milliseconds requestTimeout{10000};  // for a game request or an HTTP request head
    size_t maxRequestBytes = 4096;
    Clock clock;    // null: the system clock
    LogSink log;    // null: no log
};

}  // namespace server
