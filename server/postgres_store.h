// The store in a PostgreSQL database shared by several server processes. A lost
// connection is made again, and an operation that the database certainly did not
// commit is run once more on the new one.
#pragma once

#include "server/account_store.h"
#include "server/postgres_connection.h"

namespace server {

class PostgresStore final : public AccountStore {
public:
    // Connects and creates or upgrades the tables; null with `error` set on failure.
    static std::unique_ptr<PostgresStore> Open(const std::string& conninfo, std::string& error);

    StoreStatus FindAccount(std::string_view name, StoredAccount& account) override;
    StoreStatus CreateAccount(std::string_view name, std::string_view passwordRecord,
                              std::span<const std::string> roleClasses, int64_t createdAt,
                              std::vector<StoredRole>& roles) override;
    StoreStatus ListRoles(int64_t accountId, std::vector<StoredRole>& roles) override;
    StoreStatus RaiseEnchantLevel(int64_t roleId, int64_t& level) override;
    StoreStatus RecordDraw(int64_t accountId, std::string_view day, int limit, int slot, int prize, int64_t drawnAt,
                           int& drawsLeft) override;
    StoreStatus Ping() override;
    StoreStatus ReadRows(StoreTable table, int64_t afterId, size_t limit, StoreRows& rows) override;
    StoreStatus BeginLoad() override;
    StoreStatus LoadRows(const StoreRows& rows) override;
    StoreStatus CommitLoad() override;
    void AbandonLoad() override;
    std::string LastError() const override { return lastError_; }

private:
    explicit PostgresStore(const std::string& conninfo);
    static bool CreateOrUpgrade(const std::string& conninfo, std::string& error);
    // Runs `body` (which returns Failed after Fail) and, when the connection was lost
    // before COMMIT went out, runs it once more on a new connection.
    template <typename Body>
    StoreStatus Attempt(const char* what, Body body);
    bool Begin();
    bool Commit();
    // Records the connection's error for LastError, rolls back what is open and returns Failed.
    StoreStatus Fail(const std::string& what);

    PostgresConnection connection_;
    std::string lastError_;
    bool commitSent_ = false;
    bool loading_ = false;
};

}  // namespace server
