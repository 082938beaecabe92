// Accounts, their roles and the draws they made, in one SQLite file.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/sqlite_statement.h"

namespace server {

enum class StoreStatus { Ok, NotFound, AlreadyExists, LimitReached, Failed };

struct StoredAccount {
    int64_t id = 0;
    std::string passwordRecord;
};

struct StoredRole {
    int64_t id = 0;
    std::string name;  // UTF-8
};

// Texts in and out are UTF-8. Not thread-safe: one thread uses a store.
class AccountStore {
public:
    // Opens or creates the file and its tables; null with `error` set on failure.
    static std::unique_ptr<AccountStore> Open(const std::string& path, std::string& error);
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    StoreStatus FindAccount(std::string_view name, StoredAccount& account);

    // Creates the account with one role per class, named class + account number, in
    // the order given. AlreadyExists when the name is taken.
    StoreStatus CreateAccount(std::string_view name, std::string_view passwordRecord,
                              std::span<const std::string> roleClasses, int64_t createdAt,
                              std::vector<StoredRole>& roles);

    StoreStatus ListRoles(int64_t accountId, std::vector<StoredRole>& roles);

    StoreStatus RaiseEnchantLevel(int64_t roleId, int64_t& level);

    // Records one draw on `day` unless the account already made `limit` that day, and
    // credits the prize. `drawsLeft` is what remains of the limit afterwards.
    StoreStatus RecordDraw(int64_t accountId, std::string_view day, int limit, int slot, int prize,
                           int64_t drawnAt, int& drawsLeft);

    // The last SQLite error, for the log.
    std::string LastError() const;

private:
    explicit AccountStore(sqlite3* database) : database_(database) {}
    bool Prepare(std::string& error);
    bool Execute(const char* sql);
    bool Begin();
    bool Commit();
    void Rollback();

    sqlite3* database_;
    SqliteStatement findAccount_, insertAccount_, insertRole_, listRoles_, raiseEnchant_, readEnchant_,
        countDraws_, insertDraw_, creditDiamonds_, begin_, commit_, rollback_;
};

}  // namespace server
