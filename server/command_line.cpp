#include "server/command_line.h"

#include <charconv>
#include <filesystem>
#include <string_view>

#include "common/text/gbk_converter.h"

namespace server {

namespace {

bool ParseNumber(std::string_view text, long long minimum, long long maximum, long long& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= minimum && value <= maximum;
}

using std::chrono::milliseconds;

// Flags that take a whole number in a range.
struct NumberFlag {
    std::string_view name;
    long long minimum;
    long long maximum;
    void (*set)(ServerConfig& config, long long value);
};

constexpr NumberFlag kNumberFlags[] = {
    {"--port", 0, 65535, [](ServerConfig& c, long long n) { c.gamePort = static_cast<uint16_t>(n); }},
    {"--http-port", 0, 65535, [](ServerConfig& c, long long n) { c.httpPort = static_cast<uint16_t>(n); }},
    {"--draw-limit", 0, 1000000, [](ServerConfig& c, long long n) { c.drawLimit = static_cast<int>(n); }},
    {"--hash-iterations", 1, 100000000,
     [](ServerConfig& c, long long n) { c.passwordIterations = static_cast<int>(n); }},
    {"--request-timeout", 1, 3600000, [](ServerConfig& c, long long n) { c.requestTimeout = milliseconds(n); }},
    {"--idle-timeout", 0, 86400000, [](ServerConfig& c, long long n) { c.idleTimeout = milliseconds(n); }},
    {"--max-request", 64, 1 << 20, [](ServerConfig& c, long long n) { c.maxRequestBytes = static_cast<size_t>(n); }},
    {"--max-connections", 1, 10000000,
     [](ServerConfig& c, long long n) { c.maxConnections = static_cast<size_t>(n); }},
    {"--max-per-address", 0, 10000000,
     [](ServerConfig& c, long long n) { c.maxConnectionsPerAddress = static_cast<size_t>(n); }},
    {"--login-rate", 0, 1000000, [](ServerConfig& c, long long n) { c.loginsPerMinute = static_cast<unsigned>(n); }},
    {"--register-rate", 0, 1000000,
     [](ServerConfig& c, long long n) { c.registrationsPerMinute = static_cast<unsigned>(n); }},
    {"--hash-threads", 1, 256, [](ServerConfig& c, long long n) { c.hashingThreads = static_cast<unsigned>(n); }},
    {"--hash-queue", 1, 1000000, [](ServerConfig& c, long long n) { c.hashQueue = static_cast<size_t>(n); }},
    {"--hash-queue-per-address", 1, 1000000,
     [](ServerConfig& c, long long n) { c.hashQueuePerAddress = static_cast<size_t>(n); }},
    {"--www-max-ranges", 0, 1000, [](ServerConfig& c, long long n) { c.wwwMostRanges = static_cast<size_t>(n); }},
    {"--admin-port", 0, 65535, [](ServerConfig& c, long long n) { c.adminPort = static_cast<int>(n); }},
    {"--summary-interval", 100, 3600000, [](ServerConfig& c, long long n) { c.summaryInterval = milliseconds(n); }},
};

const NumberFlag* FindNumberFlag(std::string_view name) {
    for (const NumberFlag& flag : kNumberFlags) {
        if (flag.name == name) return &flag;
    }
    return nullptr;
}

}  // namespace

std::string CommandLineHelp(const char* program) {
    return std::string("Usage: ") + program + " [flags]\n"
        "Game server for the launcher: the game protocol over TCP and the update document over HTTP.\n"
        "\n"
        "  --address ADDR          address to listen on (default 0.0.0.0)\n"
        "  --port N                game protocol port (default 2013; 0 picks a free one)\n"
        "  --http-port N           update document port (default 8080; 0 picks a free one)\n"
        "  --db FILE               SQLite file for accounts, roles and draws (default lumadrel-server.db)\n"
        "  --db postgresql://...   a PostgreSQL database instead (any libpq URL; the password from\n"
        "                          PGPASSWORD or ~/.pgpass); several servers may share it\n"
        "  --copy-store FROM TO    copy every account, role and draw from one store (a file or URL) into\n"
        "                          another that must be empty, check counts and checksum, and exit\n"
        "  --admin-port N          serve /metrics (Prometheus), /healthz and /readyz on this port\n"
        "                          (default: none; 0 picks a free one)\n"
        "  --admin-address ADDR    address of the admin port (default 127.0.0.1)\n"
        "  --version TEXT          version published in /vorlenk2/update.xml\n"
        "  --update-ini FILE       publish the version from the launcher's update.ini, read per request\n"
        "  --www DIR               serve the files below DIR (update.xml and files from the publish tool)\n"
        "                          instead of the generated document\n"
        "  --www-max-ranges N      byte ranges one request may ask for (default 64; more: the whole file;\n"
        "                          0: no ranges at all)\n"
        "  --draw-limit N          lucky draws per account per day, in local time (default 3)\n"
        "  --hash-iterations N     PBKDF2-HMAC-SHA256 iterations for new passwords (default 600000)\n"
        "  --request-timeout MS    drop a connection whose request stays unfinished this long (default 10000)\n"
        "  --idle-timeout MS       drop a game connection that completes no request this long after\n"
        "                          connecting (default 3600000; 0: never)\n"
        "  --max-request BYTES     drop a connection when one request grows past this (default 4096)\n"
        "\n"
        "Limits against floods; what they refuse is logged as one summary line per interval:\n"
        "  --max-connections N     game and HTTP connections held at once (default 4096, lowered to fit\n"
        "                          the descriptor limit); more are closed at once\n"
        "  --max-per-address N     connections held at once from one address, IPv6 by /64 (default 64;\n"
        "                          0: no limit)\n"
        "  --login-rate N          logins per address per minute, up to N at once (default 20; 0: no limit)\n"
        "  --register-rate N       registrations per address per minute, likewise (default 10; 0: no limit)\n"
        "  --hash-threads N        threads hashing passwords (default: one per core)\n"
        "  --hash-queue N          logins and registrations waiting for a hashing thread (default 64)\n"
        "  --hash-queue-per-address N  of those, from one address (default 4)\n"
        "  --summary-interval MS   how often the summary line is written (default 10000)\n"
        "  A login or registration over a rate or with the queue full is refused at once.\n"
        "\n"
        "  --help                  print this text\n"
        "\n"
        "Prints one \"listening\" line on stdout when ready; logs one line per event on stderr.\n";
}

common::Result<CommandLineAction> ParseCommandLine(int argc, const char* const* argv, ServerConfig& config) {
    bool versionGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") return CommandLineAction::Help;
        if (flag == "--copy-store") {
            if (i + 2 >= argc) {
                return common::Error{"--copy-store takes two stores: FROM TO"};
            }
            config.copyFrom = argv[++i];
            config.copyTo = argv[++i];
            continue;
        }
        if (i + 1 >= argc) {
            return common::Error{std::string(flag.starts_with("--") ? "missing value for " : "unknown argument ") +
                      std::string(flag)};
        }
        std::string_view value = argv[++i];
        if (const NumberFlag* numeric = FindNumberFlag(flag)) {
            long long number = 0;
            if (!ParseNumber(value, numeric->minimum, numeric->maximum, number)) {
                return common::Error{std::string(flag) + " takes a number from " + std::to_string(numeric->minimum) +
                                     " to " +
                          std::to_string(numeric->maximum) + ", not \"" + std::string(value) + "\""};
            }
            numeric->set(config, number);
        } else if (flag == "--address") {
            config.address = value;
        } else if (flag == "--db") {
            config.databasePath = value;
        } else if (flag == "--admin-address") {
            config.adminAddress = value;
        } else if (flag == "--version" || flag == "--update-ini") {
            if (versionGiven) {
                return common::Error{"give either --version or --update-ini, once"};
            }
            versionGiven = true;
            if (flag == "--update-ini") {
                config.version = {VersionSource::Kind::UpdateIni, std::string(value)};
            } else {
                common::GbkConverter converter;
                std::string gbk;
                if (!converter.ToGbk(value, gbk)) {
                    return common::Error{"--version is not UTF-8 text that GBK can hold"};
                }
                config.version = {VersionSource::Kind::Text, gbk};
            }
        } else if (flag == "--www") {
            if (!std::filesystem::is_directory(std::string(value))) {
                return common::Error{"--www " + std::string(value) + " is not a folder"};
            }
            config.wwwRoot = value;
        } else {
            return common::Error{"unknown flag " + std::string(flag) + " (see --help)"};
        }
    }
    return CommandLineAction::Run;
}

}  // namespace server
