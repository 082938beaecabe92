#include "server/sqlite_statement.h"

namespace server {

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

bool SqliteStatement::Prepare(sqlite3* database, std::string_view sql) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    return sqlite3_prepare_v3(database, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                              &statement_, nullptr) == SQLITE_OK;
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool SqliteStatement::Bind(int index, int64_t value) {
    return sqlite3_bind_int64(statement_, index, value) == SQLITE_OK;
}

bool SqliteStatement::Bind(int index, std::string_view text) {
    // A null pointer would bind NULL instead of the empty text.
    const char* bytes = text.data() ? text.data() : "";
    return sqlite3_bind_text(statement_, index, bytes, static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
           SQLITE_OK;
}

int SqliteStatement::Step() { return sqlite3_step(statement_); }

int64_t SqliteStatement::ColumnInteger(int column) const { return sqlite3_column_int64(statement_, column); }

std::string SqliteStatement::ColumnText(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    int length = sqlite3_column_bytes(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length)) : std::string();
}

}  // namespace server
