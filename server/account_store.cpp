#include "server/account_store.h"

#include "server/postgres_connection.h"
#include "server/postgres_store.h"
#include "server/sqlite_store.h"

namespace server {

bool IsPostgresLocation(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

common::Result<std::unique_ptr<AccountStore>> OpenAccountStore(const std::string& location) {
    auto opened = [](auto store) -> common::Result<std::unique_ptr<AccountStore>> {
        if (!store) return store.error();
        return std::unique_ptr<AccountStore>(std::move(*store));
    };
    if (IsPostgresLocation(location)) return opened(PostgresStore::Open(location));
    return opened(SqliteStore::Open(location));
}

std::string DescribeStoreLocation(const std::string& location) {
    return IsPostgresLocation(location) ? DescribePostgres(location) : location;
}

}  // namespace server
