// The store in a PostgreSQL database shared by several server processes. A lost
// connection is made again, and an operation that the database certainly did not
// commit is run once more on the new one.
#pragma once

#include "server/account_store.h"
#include "server/postgres_connection.h"

namespace server {

class PostgresStore final : public AccountStore {
public:
    // Connects and creates or upgrades the tables.
    static common::Result<std::unique_ptr<PostgresStore>> Open(const std::string& conninfo);

    StoreResult<StoredAccount> FindAccount(std::string_view name) override;
    StoreResult<std::vector<StoredRole>> CreateAccount(std::string_view name, std::string_view passwordRecord,
                                                       std::span<const std::string> roleClasses,
                                                       int64_t createdAt) override;
    StoreResult<std::vector<StoredRole>> ListRoles(int64_t accountId) override;
    StoreResult<int64_t> RaiseEnchantLevel(int64_t roleId) override;
    StoreResult<int> RecordDraw(int64_t accountId, std::string_view day, int limit, int slot, int prize,
                                int64_t drawnAt) override;
    StoreResult<> Ping() override;
    StoreResult<> ReadRows(StoreTable table, int64_t afterId, size_t limit, StoreRows& rows) override;
    StoreResult<> BeginLoad() override;
    StoreResult<> LoadRows(const StoreRows& rows) override;
    StoreResult<> CommitLoad() override;
    void AbandonLoad() override;

private:
    explicit PostgresStore(const std::string& conninfo);
    static common::Result<void> CreateOrUpgrade(const std::string& conninfo);
    // Runs `body` (which fails with Failed after Fail) and, when the connection was
    // lost before COMMIT went out, runs it once more on a new connection.
    template <typename Body>
    auto Attempt(const char* what, Body body) -> decltype(body());
    bool Begin();
    bool Commit();
    // Rolls back what is open; a Failed error with the connection's reason.
    StoreError Fail(const std::string& what);

    PostgresConnection connection_;
    bool commitSent_ = false;
    bool loading_ = false;
};

}  // namespace server
