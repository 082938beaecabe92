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
    std::string databasePath = "lumadrel-server.db";  // an SQLite file or a postgresql:// URL
    int adminPort = -1;                    // /metrics, /healthz, /readyz; -1: none; 0 picks a free port
    std::string adminAddress = "127.0.0.1";
    // --copy-store FROM TO: copy one store into another instead of serving.
    std::string copyFrom;
    std::string copyTo;
    VersionSource version;
    std::string wwwRoot;  // --www: static files below this folder instead of the generated document
    size_t wwwMostRanges = 64;  // byte ranges one request for a --www file may ask for; 0: none
    int drawLimit = 3;
    int passwordIterations = 600000;
    unsigned hashingThreads = 0;  // 0: one per core
    std::chrono::milliseconds requestTimeout{10000};  // for a game request or an HTTP request head
    // A game connection that has completed no request this long after connecting is closed.
    std::chrono::milliseconds idleTimeout{3600000};  // a player may leave the launcher open a while before logging in
    size_t maxRequestBytes = 4096;  // for one request
    // Game and HTTP connections together; lowered at start to fit the descriptor limit.
    size_t maxConnections = 4096;
    size_t maxConnectionsPerAddress = 64;  // 0: no limit; IPv6 addresses count by /64
    unsigned loginsPerMinute = 20;         // per address, up to a minute's worth at once; 0: no limit
    unsigned registrationsPerMinute = 10;  // per address, as for logins
    size_t hashQueue = 64;                 // logins and registrations waiting for a hashing thread
    size_t hashQueuePerAddress = 4;        // of those, from one address
    std::chrono::milliseconds summaryInterval{10000};  // refusals are logged as one line per interval
    Clock clock;    // null: the system clock
    LogSink log;    // null: no log
};

}  // namespace server
