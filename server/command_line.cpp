#include "server/command_line.h"

#include <charconv>
#include <filesystem>
#include <string_view>

#include "server/gbk_converter.h"

namespace server {

namespace {

bool ParseNumber(std::string_view text, long long minimum, long long maximum, long long& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= minimum && value <= maximum;
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
        "  --version TEXT          version published in /vorlenk2/update.xml\n"
        "  --update-ini FILE       publish the version from the launcher's update.ini, read per request\n"
        "  --www DIR               serve the files below DIR (update.xml and files from the publish tool)\n"
        "                          instead of the generated document\n"
        "  --draw-limit N          lucky draws per account per day, in local time (default 3)\n"
        "  --hash-iterations N     PBKDF2-HMAC-SHA256 iterations for new passwords (default 600000)\n"
        "  --request-timeout MS    drop a connection whose request stays unfinished this long (default 10000)\n"
        "  --max-request BYTES     drop a connection whose request grows past this (default 4096)\n"
        "  --help                  print this text\n"
        "\n"
        "Prints one \"listening\" line on stdout when ready; logs one line per event on stderr.\n";
}

CommandLineStatus ParseCommandLine(int argc, const char* const* argv, ServerConfig& config, std::string& message) {
    bool versionGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") return CommandLineStatus::Help;
        if (i + 1 >= argc) {
            message = std::string(flag.starts_with("--") ? "missing value for " : "unknown argument ") +
                      std::string(flag);
            return CommandLineStatus::Error;
        }
        std::string_view value = argv[++i];
        long long number = 0;
        auto numberIn = [&](long long minimum, long long maximum) {
            if (ParseNumber(value, minimum, maximum, number)) return true;
            message = std::string(flag) + " takes a number from " + std::to_string(minimum) + " to " +
                      std::to_string(maximum) + ", not \"" + std::string(value) + "\"";
            return false;
        };
        if (flag == "--address") {
            config.address = value;
        } else if (flag == "--port") {
            if (!numberIn(0, 65535)) return CommandLineStatus::Error;
            config.gamePort = static_cast<uint16_t>(number);
        } else if (flag == "--http-port") {
            if (!numberIn(0, 65535)) return CommandLineStatus::Error;
            config.httpPort = static_cast<uint16_t>(number);
        } else if (flag == "--db") {
            config.databasePath = value;
        } else if (flag == "--version" || flag == "--update-ini") {
            if (versionGiven) {
                message = "give either --version or --update-ini, once";
                return CommandLineStatus::Error;
            }
            versionGiven = true;
            if (flag == "--update-ini") {
                config.version = {VersionSource::Kind::UpdateIni, std::string(value)};
            } else {
                GbkConverter converter;
                std::string gbk;
                if (!converter.ToGbk(value, gbk)) {
                    message = "--version is not UTF-8 text that GBK can hold";
                    return CommandLineStatus::Error;
                }
                config.version = {VersionSource::Kind::Text, gbk};
            }
        } else if (flag == "--www") {
            if (!std::filesystem::is_directory(std::string(value))) {
                message = "--www " + std::string(value) + " is not a folder";
                return CommandLineStatus::Error;
            }
            config.wwwRoot = value;
        } else if (flag == "--draw-limit") {
            if (!numberIn(0, 1000000)) return CommandLineStatus::Error;
            config.drawLimit = static_cast<int>(number);
        } else if (flag == "--hash-iterations") {
            if (!numberIn(1, 100000000)) return CommandLineStatus::Error;
            config.passwordIterations = static_cast<int>(number);
        } else if (flag == "--request-timeout") {
            if (!numberIn(1, 3600000)) return CommandLineStatus::Error;
            config.requestTimeout = std::chrono::milliseconds(number);
        } else if (flag == "--max-request") {
            if (!numberIn(64, 1 << 20)) return CommandLineStatus::Error;
            config.maxRequestBytes = static_cast<size_t>(number);
        } else {
            message = "unknown flag " + std::string(flag) + " (see --help)";
            return CommandLineStatus::Error;
        }
    }
    return CommandLineStatus::Run;
}

}  // namespace server
