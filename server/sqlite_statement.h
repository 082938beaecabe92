// A prepared SQLite statement that resets itself for reuse.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace server {

class SqliteStatement {
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool Prepare(sqlite3* database, std::string_view sql);

    // Clears the previous run's bindings and result; call before binding.
    void Reset();
    bool Bind(int index, int64_t value);
    bool Bind(int index, std::string_view text);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    int64_t ColumnInteger(int column) const;
    std::string ColumnText(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
};

}  // namespace server
