// One libpq connection that is made again after it was lost, with a growing pause
// after each failed attempt so that a database that is down is not hammered and a
// request meanwhile fails at once instead of waiting.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace server {

struct PgResultFree {
    void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultFree>;

class PostgresConnection {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kFirstPause{100};
    static constexpr std::chrono::milliseconds kLongestPause{5000};

    // `statements`: name and SQL of what is prepared on every new connection.
    PostgresConnection(std::string conninfo, std::vector<std::pair<std::string, std::string>> statements);
    ~PostgresConnection();
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    // Connects when there is no connection and no pause is running; false with Error() set otherwise.
    bool Ensure();

    // Runs a prepared statement with its parameters as text; null when it failed
    // (Error() says why; Lost() whether the connection went with it).
    PgResult Run(const std::string& name, std::initializer_list<std::string_view> parameters,
                 bool* uniqueViolation = nullptr);
    // Runs SQL without parameters, likewise.
    PgResult Execute(const std::string& sql);

    bool Lost() const;
    // Forgets the connection; the next Ensure connects at once.
    void Drop();
    const std::string& Error() const { return error_; }

private:
    PgResult Check(PGresult* result, const std::string& what, bool* uniqueViolation);

    std::string conninfo_;
    std::vector<std::pair<std::string, std::string>> statements_;
    PGconn* connection_ = nullptr;
    std::chrono::milliseconds pause_{0};
    Clock::time_point nextAttempt_{};
    std::string error_;
    std::string connectError_;  // why the last attempt failed, repeated while pausing
};

// The integer in a result cell; 0 for anything else.
int64_t PgInteger(const PGresult* result, int row, int column);
std::string PgText(const PGresult* result, int row, int column);

// A connection string's host, port, database and user, never its password.
std::string DescribePostgres(const std::string& conninfo);

}  // namespace server
