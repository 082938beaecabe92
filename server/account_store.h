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

namespace server {

// Failed covers everything the client should hear as "busy": the database is
// unreachable, refused the statement or could not say whether it committed.
enum class StoreStatus { Ok, NotFound, AlreadyExists, LimitReached, Failed };

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

// Texts in and out are UTF-8. Not thread-safe: one thread uses a store. Every call
// that does not return Ok leaves a description for LastError.
class AccountStore {
public:
    virtual ~AccountStore() = default;

    virtual StoreStatus FindAccount(std::string_view name, StoredAccount& account) = 0;

    // Creates the account with one role per class, named class + account number, in
    // the order given. AlreadyExists when the name is taken.
    virtual StoreStatus CreateAccount(std::string_view name, std::string_view passwordRecord,
                                      std::span<const std::string> roleClasses, int64_t createdAt,
                                      std::vector<StoredRole>& roles) = 0;

    virtual StoreStatus ListRoles(int64_t accountId, std::vector<StoredRole>& roles) = 0;

    virtual StoreStatus RaiseEnchantLevel(int64_t roleId, int64_t& level) = 0;

    // Records one draw on `day` unless the account already made `limit` that day, and
    // credits the prize. `drawsLeft` is what remains of the limit afterwards. Holds
    // exactly when several servers share the store.
    virtual StoreStatus RecordDraw(int64_t accountId, std::string_view day, int limit, int slot, int prize,
                                   int64_t drawnAt, int& drawsLeft) = 0;

    // Whether the database answers now.
    virtual StoreStatus Ping() = 0;

    // Appends up to `limit` rows of `table` with ids above `afterId`, in id order, to
    // the matching list of `rows`.
    virtual StoreStatus ReadRows(StoreTable table, int64_t afterId, size_t limit, StoreRows& rows) = 0;

    // A load writes rows with their ids in one transaction: BeginLoad takes the tables
    // (AlreadyExists unless they are all empty), LoadRows adds rows, ReadRows sees them,
    // and only CommitLoad makes them visible to others. AbandonLoad leaves nothing.
    virtual StoreStatus BeginLoad() = 0;
    virtual StoreStatus LoadRows(const StoreRows& rows) = 0;
    virtual StoreStatus CommitLoad() = 0;
    virtual void AbandonLoad() = 0;

    // What went wrong last, for the log (never holds a password).
    virtual std::string LastError() const = 0;
};

// Whether `location` names a PostgreSQL database (a postgresql:// or postgres:// URI,
// with any libpq parameters) rather than an SQLite file.
bool IsPostgresLocation(std::string_view location);

// Opens the store and creates or upgrades its tables; null with `error` set on failure.
std::unique_ptr<AccountStore> OpenAccountStore(const std::string& location, std::string& error);

// The location for logs and messages: a PostgreSQL connection string without its password.
std::string DescribeStoreLocation(const std::string& location);

}  // namespace server
