#include "support/test_database.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>

namespace server::testing {

namespace {

bool RunOnPostgres(const std::string& url, const std::string& sql, std::string* error = nullptr) {
    std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(url.c_str()), PQfinish);
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        if (error) *error = PQerrorMessage(connection.get());
        return false;
    }
    PQsetNoticeProcessor(connection.get(), [](void*, const char*) {}, nullptr);
    std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), sql.c_str()), PQclear);
    ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return true;
    if (error) *error = PQerrorMessage(connection.get());
    return false;
}

}  // namespace

std::string BackendName(Backend backend) { return backend == Backend::Sqlite ? "Sqlite" : "Postgres"; }

std::string PostgresUrl() {
    const char* url = std::getenv("LUMADREL_TEST_POSTGRES");
    return url ? url : "";
}

TestDatabase::TestDatabase(Backend backend) : backend_(backend) {
    if (backend == Backend::Sqlite) {
        location_ = folder_.path() + "/server.db";
        return;
    }
    std::string url = PostgresUrl();
    if (url.empty()) {
        reason_ = "no PostgreSQL cluster: run scripts/postgres.sh start and set LUMADREL_TEST_POSTGRES to its URL";
        return;
    }
    static std::atomic<int> made{0};
    schema_ = "test_" + std::to_string(::getpid()) + "_" + std::to_string(made++);
    std::string error;
    if (!RunOnPostgres(url, "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE; CREATE SCHEMA " + schema_, &error)) {
        // A cluster was promised but does not answer: that is a failure, not a skip.
        ADD_FAILURE() << "cannot reach the PostgreSQL cluster at " << url << ": " << error;
        reason_ = "the cluster does not answer";
        return;
    }
    // The application name tells this test's server connections from other tests'.
    location_ = url + (url.find('?') == std::string::npos ? "?" : "&") + Parameters();
}

TestDatabase::~TestDatabase() {
    if (!schema_.empty() && !location_.empty()) RunOnPostgres(PostgresUrl(), "DROP SCHEMA " + schema_ + " CASCADE");
}

std::string TestDatabase::Parameters() const {
    return "options=-csearch_path%3D" + schema_ + "&application_name=" + schema_;
}

std::string TestDatabase::Setting(const char* keyword) const {
    char* problem = nullptr;
    PQconninfoOption* options = PQconninfoParse(PostgresUrl().c_str(), &problem);
    PQfreemem(problem);
    std::string value;
    for (PQconninfoOption* option = options; option && option->keyword; ++option) {
        if (std::string_view(option->keyword) == keyword && option->val) value = option->val;
    }
    PQconninfoFree(options);
    return value;
}

std::string TestDatabase::SocketPath() const {
    std::string port = Setting("port");
    return Setting("host") + "/.s.PGSQL." + (port.empty() ? "5432" : port);
}

std::string TestDatabase::LocationThroughPort(uint16_t port) const {
    return "postgresql://" + Setting("user") + "@127.0.0.1:" + std::to_string(port) + "/" + Setting("dbname") + "?" +
           Parameters();
}

bool TestDatabase::EndServerConnections() const {
    return RunOnPostgres(PostgresUrl(), "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                        "application_name = '" + schema_ + "' AND pid <> pg_backend_pid()");
}

bool TestDatabase::Execute(const std::string& sql) const {
    if (backend_ == Backend::Postgres) return RunOnPostgres(location_, sql);
    sqlite3* database = nullptr;
    bool done = sqlite3_open_v2(location_.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(database);
    return done;
}

}  // namespace server::testing
