// Starting flags: values reach the configuration, mistakes are refused with a reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/command_line.h"

namespace {

enum class Outcome { Run, Help, Error };

// The action parsed, or Error with its reason in `message`.
Outcome Parse(std::vector<const char*> arguments, server::ServerConfig& config, std::string& message) {
    arguments.insert(arguments.begin(), "lumadrel-server");
    auto action = server::ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), config);
    if (!action) {
        message = action.error().message;
        return Outcome::Error;
    }
    return *action == server::CommandLineAction::Help ? Outcome::Help : Outcome::Run;
}

TEST(CommandLine, FlagsFillTheConfiguration) {
    server::ServerConfig config;
    std::string message;
    ASSERT_EQ(Parse({"--address", "127.0.0.1", "--port", "2014", "--http-port", "0", "--db", "/tmp/x.db",
                     "--draw-limit", "5", "--hash-iterations", "1000", "--request-timeout", "250",
                     "--max-request", "1024", "--update-ini", "/game/update.ini", "--www-max-ranges", "0"},
                    config, message),
              Outcome::Run)
        << message;
    EXPECT_EQ(config.address, "127.0.0.1");
    EXPECT_EQ(config.gamePort, 2014);
    EXPECT_EQ(config.httpPort, 0);
    EXPECT_EQ(config.databasePath, "/tmp/x.db");
    EXPECT_EQ(config.drawLimit, 5);
    EXPECT_EQ(config.passwordIterations, 1000);
    EXPECT_EQ(config.requestTimeout.count(), 250);
    EXPECT_EQ(config.maxRequestBytes, 1024u);
    EXPECT_EQ(config.wwwMostRanges, 0u);
    EXPECT_EQ(config.version.kind, server::VersionSource::Kind::UpdateIni);
    EXPECT_EQ(config.version.value, "/game/update.ini");
}

TEST(CommandLine, FloodLimitFlagsFillTheConfiguration) {
    server::ServerConfig config;
    std::string message;
    ASSERT_EQ(Parse({"--idle-timeout", "0", "--max-connections", "500", "--max-per-address", "0", "--login-rate", "7",
                     "--register-rate", "3", "--hash-threads", "4", "--hash-queue", "9", "--hash-queue-per-address",
                     "2", "--summary-interval", "1000"},
                    config, message),
              Outcome::Run)
        << message;
    EXPECT_EQ(config.idleTimeout.count(), 0);
    EXPECT_EQ(config.maxConnections, 500u);
    EXPECT_EQ(config.maxConnectionsPerAddress, 0u);
    EXPECT_EQ(config.loginsPerMinute, 7u);
    EXPECT_EQ(config.registrationsPerMinute, 3u);
    EXPECT_EQ(config.hashingThreads, 4u);
    EXPECT_EQ(config.hashQueue, 9u);
    EXPECT_EQ(config.hashQueuePerAddress, 2u);
    EXPECT_EQ(config.summaryInterval.count(), 1000);
}

TEST(CommandLine, HelpNamesEveryLimitFlag) {
    std::string help = server::CommandLineHelp("lumadrel-server");
    for (const char* flag : {"--idle-timeout MS", "--max-connections N", "--max-per-address N", "--login-rate N",
                             "--register-rate N", "--hash-threads N", "--hash-queue N", "--hash-queue-per-address N",
                             "--summary-interval MS", "--max-request BYTES", "--request-timeout MS"}) {
        EXPECT_NE(help.find(flag), std::string::npos) << flag;
    }
}

TEST(CommandLine, VersionTextIsStoredAsGbk) {
    server::ServerConfig config;
    std::string message;
    ASSERT_EQ(Parse({"--version", "\xE7\x89\x88\xE6\x9C\xAC" "1.2"}, config, message), Outcome::Run);
    EXPECT_EQ(config.version.kind, server::VersionSource::Kind::Text);
    EXPECT_EQ(config.version.value, "版本1.2");  // a GBK literal
}

TEST(CommandLine, MistakesAreRefused) {
    const std::vector<std::vector<const char*>> mistakes = {
        {"--port"},
        {"--port", "70000"},
        {"--port", "-1"},
        {"--port", "20x"},
        {"--draw-limit", ""},
        {"--hash-iterations", "0"},
        {"--max-connections", "0"},
        {"--hash-threads", "0"},
        {"--hash-queue", "0"},
        {"--summary-interval", "5"},
        {"--version", "1", "--update-ini", "a.ini"},
        {"--version", "\xFF"},
        {"--verbose", "1"},
        {"stray"},
    };
    for (const auto& arguments : mistakes) {
        server::ServerConfig config;
        std::string message;
        EXPECT_EQ(Parse(arguments, config, message), Outcome::Error) << arguments[0];
        EXPECT_FALSE(message.empty());
    }
    server::ServerConfig config;
    std::string message;
    EXPECT_EQ(Parse({"--port", "1", "--help"}, config, message), Outcome::Help);
}

TEST(CommandLine, StoreAndAdminFlags) {
    server::ServerConfig config;
    std::string message;
    ASSERT_EQ(Parse({"--db", "postgresql:///game?host=/run/db", "--admin-port", "9100", "--admin-address", "0.0.0.0"},
                    config, message),
              Outcome::Run)
        << message;
    EXPECT_EQ(config.databasePath, "postgresql:///game?host=/run/db");
    EXPECT_EQ(config.adminPort, 9100);
    EXPECT_EQ(config.adminAddress, "0.0.0.0");
    EXPECT_EQ(server::ServerConfig().adminPort, -1);  // no admin port unless asked for
    EXPECT_EQ(server::ServerConfig().adminAddress, "127.0.0.1");

    server::ServerConfig copy;
    ASSERT_EQ(Parse({"--copy-store", "old.db", "postgresql:///game"}, copy, message), Outcome::Run);
    EXPECT_EQ(copy.copyFrom, "old.db");
    EXPECT_EQ(copy.copyTo, "postgresql:///game");
    EXPECT_EQ(Parse({"--copy-store", "old.db"}, copy, message), Outcome::Error);
    EXPECT_EQ(message, "--copy-store takes two stores: FROM TO");
    EXPECT_EQ(Parse({"--admin-port", "65536"}, copy, message), Outcome::Error);
}

}  // namespace
