// Where a test keeps its store: a fresh SQLite file, or a fresh schema in the
// throw-away PostgreSQL cluster of scripts/postgres.sh, whose URL the environment
// variable LUMADREL_TEST_POSTGRES holds (./test sets it). Without it the
// PostgreSQL cases are skipped.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/test_server.h"

namespace server::testing {

enum class Backend { Sqlite, Postgres };

// "Sqlite" or "Postgres", for parameterised test names.
std::string BackendName(Backend backend);

// The cluster's URL, or empty when no cluster is given.
std::string PostgresUrl();

class TestDatabase {
public:
    explicit TestDatabase(Backend backend);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // False (with a reason) when the back end cannot be reached here.
    bool available() const { return !location_.empty(); }
    const std::string& unavailableReason() const { return reason_; }

    // What --db takes: the file's path or a URL that selects the schema.
    const std::string& location() const { return location_; }

    // Runs SQL on the database directly, behind the server's back; false on failure.
    bool Execute(const std::string& sql) const;

    // PostgreSQL only: the cluster's Unix socket, the same database reached over TCP
    // on a loopback port (a TcpForwarder's), and ending the connections that servers
    // on this database hold, as a database restart would.
    std::string SocketPath() const;
    std::string LocationThroughPort(uint16_t port) const;
    bool EndServerConnections() const;

private:
    std::string Parameters() const;
    std::string Setting(const char* keyword) const;  // of the cluster's URL

    Backend backend_;
    TemporaryFolder folder_;
    std::string schema_;
    std::string location_;
    std::string reason_;
};

// A test run on each back end, with a fresh database; skipped where the back end is missing.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (!database_.available()) GTEST_SKIP() << database_.unavailableReason();
    }
    // The tests' server settings on this test's database.
    ServerConfig Config() const {
        ServerConfig config = TestServer::DefaultConfig();
        config.databasePath = database_.location();
        return config;
    }

    TestDatabase database_{GetParam()};
};

}  // namespace server::testing

// Runs the TEST_Ps of `suite` (an alias of BackendTest) on both back ends.
#define LUMADREL_ON_BOTH_BACKENDS(suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(, suite,                                                                    \
                             ::testing::Values(::server::testing::Backend::Sqlite,                       \
                                               ::server::testing::Backend::Postgres),                    \
                             [](const auto& info) { return ::server::testing::BackendName(info.param); })
