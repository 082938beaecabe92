// The store in one SQLite file: the embedded default. Several processes may share
// the file; each write transaction takes the file's write lock first.
#pragma once

#include <sqlite3.h>

#include "server/account_store.h"
#include "server/sqlite_statement.h"

namespace server {

class SqliteStore final : public AccountStore {
public:
    // Opens or creates the file and its tables; null with `error` set on failure.
    static std::unique_ptr<SqliteStore> Open(const std::string& path, std::string& error);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

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
    std::string LastError() const override;

private:
    explicit SqliteStore(sqlite3* database) : database_(database) {}
    bool Prepare(std::string& error);
    bool CreateOrUpgrade(std::string& error);
    bool Execute(const char* sql);
    bool Begin();
    bool Commit();
    void Rollback();
    // Records the failure for LastError and returns Failed.
    StoreStatus Fail(const std::string& what);

    sqlite3* database_;
    std::string lastError_;
    SqliteStatement findAccount_, insertAccount_, insertRole_, listRoles_, raiseEnchant_, readEnchant_,
        countDraws_, insertDraw_, creditDiamonds_, begin_, commit_, rollback_, ping_, readAccounts_, readRoles_,
        readDraws_, countRows_, loadAccount_, loadRole_, loadDraw_;
};

}  // namespace server
