// Accounts, their roles and the draws they made: what the game service keeps, in an
// SQLite file or a PostgreSQL database. Every operation is one transaction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace server {

// Why a store call failed: the code decides the player's reply, the message goes to
// the log (never holding a password). Failed covers everything the client should
// hear as "busy": the database is unreachable, refused the statement or could not
// say whether it committed.
enum class StoreStatus { NotFound, AlreadyExists, LimitReached, Failed };
using StoreError = common::BasicError<StoreStatus>;
template <typename T = void>
using StoreResult = common::Result<T, StoreError>;

struct StoredAccount {
    int64_t id = 0;
    std::string passwordRecord;
};

struct StoredRole {
    int64_t id = 0;
    std::string name;  // UTF-8
};

// Rows exactly as stored, for copying one store into another.
struct AccountRow {
    int64_t id = 0;
    std::string name;
    std::string password;
    int64_t diamonds = 0;
    int64_t createdAt = 0;
};

struct RoleRow {
    int64_t id = 0;
    int64_t accountId = 0;
    int64_t position = 0;
    std::string name;
    int64_t enchantLevel = 0;
};

struct DrawRow {
    int64_t id = 0;
    int64_t accountId = 0;
    std::string day;
    int64_t slot = 0;
    int64_t prize = 0;
    int64_t drawnAt = 0;
};

enum class StoreTable { Accounts, Roles, Draws };

struct StoreRows {
    std::vector<AccountRow> accounts;
    std::vector<RoleRow> roles;
    std::vector<DrawRow> draws;
};

// The schema version both back ends create or upgrade to at start.
inline constexpr int kStoreSchemaVersion = 2;

// Texts in and out are UTF-8. Not thread-safe: one thread uses a store.
class AccountStore {
public:
    virtual ~AccountStore() = default;

    virtual StoreResult<StoredAccount> FindAccount(std::string_view name) = 0;

    // Creates the account with one role per class, named class + account number, in
    // the order given, and returns the roles. AlreadyExists when the name is taken.
    virtual StoreResult<std::vector<StoredRole>> CreateAccount(std::string_view name, std::string_view passwordRecord,
                                                               std::span<const std::string> roleClasses,
                                                               int64_t createdAt) = 0;

    virtual StoreResult<std::vector<StoredRole>> ListRoles(int64_t accountId) = 0;

    // The new level.
    virtual StoreResult<int64_t> RaiseEnchantLevel(int64_t roleId) = 0;

    // Records one draw on `day` unless the account already made `limit` that day, and
    // credits the prize; returns what remains of the limit afterwards. Holds exactly
    // when several servers share the store.
    virtual StoreResult<int> RecordDraw(int64_t accountId, std::string_view day, int limit, int slot, int prize,
                                        int64_t drawnAt) = 0;

    // Whether the database answers now.
    virtual StoreResult<> Ping() = 0;

    // Appends up to `limit` rows of `table` with ids above `afterId`, in id order, to
    // the matching list of `rows`.
    virtual StoreResult<> ReadRows(StoreTable table, int64_t afterId, size_t limit, StoreRows& rows) = 0;

    // A load writes rows with their ids in one transaction: BeginLoad takes the tables
    // (AlreadyExists unless they are all empty), LoadRows adds rows, ReadRows sees them,
    // and only CommitLoad makes them visible to others. AbandonLoad leaves nothing.
    virtual StoreResult<> BeginLoad() = 0;
    virtual StoreResult<> LoadRows(const StoreRows& rows) = 0;
    virtual StoreResult<> CommitLoad() = 0;
    virtual void AbandonLoad() = 0;
};

// Whether `location` names a PostgreSQL database (a postgresql:// or postgres:// URI,
// with any libpq parameters) rather than an SQLite file.
bool IsPostgresLocation(std::string_view location);

// Opens the store and creates or upgrades its tables.
common::Result<std::unique_ptr<AccountStore>> OpenAccountStore(const std::string& location);

// The location for logs and messages: a PostgreSQL connection string without its password.
std::string DescribeStoreLocation(const std::string& location);

}  // namespace server
