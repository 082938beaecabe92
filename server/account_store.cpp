#include "server/account_store.h"

#include "server/postgres_connection.h"
#include "server/postgres_store.h"
#include "server/sqlite_store.h"

namespace server {

bool IsPostgresLocation(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::unique_ptr<AccountStore> OpenAccountStore(const std::string& location, std::string& error) {
    if (IsPostgresLocation(location)) return PostgresStore::Open(location, error);
    return SqliteStore::Open(location, error);
}

std::string DescribeStoreLocation(const std::string& location) {
    return IsPostgresLocation(location) ? DescribePostgres(location) : location;
}

}  // namespace server
