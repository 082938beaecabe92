#include "server/postgres_connection.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace server {

namespace {

// libpq ends its messages with a line break; the log adds its own.
std::string Trimmed(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

PostgresConnection::PostgresConnection(std::string conninfo,
                                       std::vector<std::pair<std::string, std::string>> statements)
    : conninfo_(std::move(conninfo)), statements_(std::move(statements)) {}

PostgresConnection::~PostgresConnection() { Drop(); }

void PostgresConnection::Drop() {
    if (connection_) PQfinish(connection_);
    connection_ = nullptr;
}

bool PostgresConnection::Lost() const { return !connection_ || PQstatus(connection_) == CONNECTION_BAD; }

bool PostgresConnection::Ensure() {
    if (connection_ && PQstatus(connection_) == CONNECTION_OK) return true;
    Drop();
    Clock::time_point now = Clock::now();
    if (now < nextAttempt_) {
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextAttempt_ - now);
        error_ = connectError_ + " (next attempt in " + std::to_string(wait.count()) + " ms)";
        return false;
    }
    // Defaults first, so the operator's string overrides them; the encoding last, so it cannot.
    const char* keywords[] = {"connect_timeout", "application_name", "dbname", "client_encoding", nullptr};
    const char* values[] = {"5", "lumadrel-server", conninfo_.c_str(), "UTF8", nullptr};
    connection_ = PQconnectdbParams(keywords, values, 1);
    bool ready = connection_ && PQstatus(connection_) == CONNECTION_OK;
    // Notices ("already exists, skipping") would land in the server's log unasked.
    if (ready) PQsetNoticeProcessor(connection_, [](void*, const char*) {}, nullptr);
    if (!ready) error_ = "cannot connect: " + Trimmed(connection_ ? PQerrorMessage(connection_) : "out of memory");
    for (size_t i = 0; ready && i < statements_.size(); ++i) {
        PgResult prepared(PQprepare(connection_, statements_[i].first.c_str(), statements_[i].second.c_str(), 0,
                                    nullptr));
        if (!prepared || PQresultStatus(prepared.get()) != PGRES_COMMAND_OK) {
            error_ = "cannot prepare " + statements_[i].first + ": " + Trimmed(PQerrorMessage(connection_));
            ready = false;
        }
    }
    if (!ready) {
        connectError_ = error_;
        Drop();
        pause_ = std::clamp(pause_ * 2, kFirstPause, kLongestPause);
        nextAttempt_ = now + pause_;
        return false;
    }
    pause_ = std::chrono::milliseconds(0);
    return true;
}

PgResult PostgresConnection::Check(PGresult* raw, const std::string& what, bool* uniqueViolation) {
    PgResult result(raw);
    ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
    const char* state = result ? PQresultErrorField(result.get(), PG_DIAG_SQLSTATE) : nullptr;
    if (uniqueViolation) *uniqueViolation = state && std::strcmp(state, "23505") == 0;
    error_ = what + ": " + Trimmed(PQerrorMessage(connection_));
    return nullptr;
}

PgResult PostgresConnection::Run(const std::string& name, std::initializer_list<std::string_view> parameters,
                                 bool* uniqueViolation) {
    if (!connection_) {
        error_ = "not connected";
        return nullptr;
    }
    // Text parameters end at their NUL, so the views are copied into strings.
    std::vector<std::string> texts(parameters.begin(), parameters.end());
    std::vector<const char*> values;
    for (const std::string& text : texts) values.push_back(text.c_str());
    return Check(PQexecPrepared(connection_, name.c_str(), static_cast<int>(values.size()), values.data(), nullptr,
                                nullptr, 0),
                 name, uniqueViolation);
}

PgResult PostgresConnection::Execute(const std::string& sql) {
    if (!connection_) {
        error_ = "not connected";
        return nullptr;
    }
    return Check(PQexec(connection_, sql.c_str()), sql.substr(0, sql.find(' ')), nullptr);
}

int64_t PgInteger(const PGresult* result, int row, int column) {
    const char* text = PQgetvalue(result, row, column);
    int64_t value = 0;
    if (text) std::from_chars(text, text + std::strlen(text), value);
    return value;
}

std::string PgText(const PGresult* result, int row, int column) {
    return std::string(PQgetvalue(result, row, column), static_cast<size_t>(PQgetlength(result, row, column)));
}

std::string DescribePostgres(const std::string& conninfo) {
    char* problem = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &problem);
    if (!options) {
        PQfreemem(problem);
        return "postgresql (unreadable connection string)";
    }
    std::string description = "postgresql";
    const char* shown[] = {"host", "hostaddr", "port", "dbname", "user"};
    for (PQconninfoOption* option = options; option->keyword; ++option) {
        if (!option->val) continue;
        for (const char* keyword : shown) {
            if (std::strcmp(option->keyword, keyword) == 0) {
                description += std::string(" ") + keyword + "=" + option->val;
            }
        }
    }
    PQconninfoFree(options);
    return description;
}

}  // namespace server
