// The store in one SQLite file: the embedded default. Several processes may share
// the file; each write transaction takes the file's write lock first.
#pragma once

#include <sqlite3.h>

#include "server/account_store.h"
#include "server/sqlite_statement.h"

namespace server {

class SqliteStore final : public AccountStore {
public:
    // Opens or creates the file and its tables.
    static common::Result<std::unique_ptr<SqliteStore>> Open(const std::string& path);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

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
    explicit SqliteStore(sqlite3* database) : database_(database) {}
    common::Result<void> Prepare();
    common::Result<void> CreateOrUpgrade();
    bool Execute(const char* sql);
    bool Begin();
    bool Commit();
    void Rollback();
    // A Failed error naming what failed and the database's reason.
    StoreError Fail(const std::string& what) const;

    sqlite3* database_;
    SqliteStatement findAccount_, insertAccount_, insertRole_, listRoles_, raiseEnchant_, readEnchant_,
        countDraws_, insertDraw_, creditDiamonds_, begin_, commit_, rollback_, ping_, readAccounts_, readRoles_,
        readDraws_, countRows_, loadAccount_, loadRole_, loadDraw_;
};

}  // namespace server
