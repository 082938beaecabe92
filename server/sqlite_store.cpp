#include "server/sqlite_store.h"

#include <algorithm>

namespace server {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,
    password TEXT NOT NULL,
    diamonds INTEGER NOT NULL DEFAULT 0,
    created_at INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS roles (
    id INTEGER PRIMARY KEY,
    account_id INTEGER NOT NULL REFERENCES accounts(id),
    position INTEGER NOT NULL,
    name TEXT NOT NULL UNIQUE,
    enchant_level INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS roles_of_account ON roles(account_id, position);
CREATE TABLE IF NOT EXISTS draws (
    id INTEGER PRIMARY KEY,
    account_id INTEGER NOT NULL REFERENCES accounts(id),
    day TEXT NOT NULL,
    slot INTEGER NOT NULL,
    prize INTEGER NOT NULL,
    drawn_at INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS draws_of_day ON draws(account_id, day);
CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);
)sql";

}  // namespace

common::Result<std::unique_ptr<SqliteStore>> SqliteStore::Open(const std::string& path) {
    sqlite3* database = nullptr;
    int opened = sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<SqliteStore> store(new SqliteStore(database));
    if (opened != SQLITE_OK) {
        return common::Error{"cannot open " + path + ": " + (database ? sqlite3_errmsg(database) : "out of memory")};
    }
    if (auto prepared = store->Prepare(); !prepared) return prepared.error();
    return store;
}

// close_v2 defers the close until the member statements are finalized after this body.
SqliteStore::~SqliteStore() { sqlite3_close_v2(database_); }

bool SqliteStore::Execute(const char* sql) {
    return sqlite3_exec(database_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

StoreError SqliteStore::Fail(const std::string& what) const {
    return StoreError{StoreStatus::Failed, what + ": " + (database_ ? sqlite3_errmsg(database_) : "no database")};
}

// Version 1 files kept their version in user_version and had no version table; the
// tables are otherwise the same. user_version follows along, so that servers from
// before the table refuse a file written by a newer one.
common::Result<void> SqliteStore::CreateOrUpgrade() {
    if (!Execute("BEGIN IMMEDIATE")) {
        return common::Error{"cannot lock the database: " + std::string(sqlite3_errmsg(database_))};
    }
    int64_t found = 0;
    bool read = false;
    {
        SqliteStatement legacy;
        read = legacy.Prepare(database_, "PRAGMA user_version") && legacy.Step() == SQLITE_ROW;
        if (read) found = legacy.ColumnInteger(0);
    }
    if (read && Execute(kSchema)) {
        SqliteStatement version;
        read = version.Prepare(database_, "SELECT MAX(version) FROM schema_version") && version.Step() == SQLITE_ROW;
        if (read) found = std::max(found, version.ColumnInteger(0));
    } else {
        read = false;
    }
    if (!read) {
        common::Error error{"cannot create the tables: " + std::string(sqlite3_errmsg(database_))};
        Execute("ROLLBACK");
        return error;
    }
    if (found > kStoreSchemaVersion) {
        Execute("ROLLBACK");
        return common::Error{"the database was written by a newer server (schema " + std::to_string(found) + ")"};
    }
    std::string upgrade = "DELETE FROM schema_version; INSERT INTO schema_version(version) VALUES(" +
                          std::to_string(kStoreSchemaVersion) + "); PRAGMA user_version=" +
                          std::to_string(kStoreSchemaVersion) + "; COMMIT;";
    if (!Execute(upgrade.c_str())) {
        common::Error error{"cannot record the schema version: " + std::string(sqlite3_errmsg(database_))};
        Execute("ROLLBACK");
        return error;
    }
    return {};
}

common::Result<void> SqliteStore::Prepare() {
    // Other processes on the same file hold its write lock only for one short transaction.
    sqlite3_busy_timeout(database_, 5000);
    // WAL with NORMAL sync keeps every committed change across a crash of this process
    // without an fsync per request.
    if (!Execute("PRAGMA journal_mode=WAL") || !Execute("PRAGMA synchronous=NORMAL") ||
        !Execute("PRAGMA foreign_keys=ON")) {
        return common::Error{"cannot configure the database: " + std::string(sqlite3_errmsg(database_))};
    }
    if (auto created = CreateOrUpgrade(); !created) return created;
    struct Prepared {
        SqliteStatement& statement;
        const char* sql;
    } statements[] = {
        {findAccount_, "SELECT id, password FROM accounts WHERE name = ?1"},
        {insertAccount_, "INSERT INTO accounts(name, password, created_at) VALUES(?1, ?2, ?3)"},
        {insertRole_, "INSERT INTO roles(account_id, position, name) VALUES(?1, ?2, ?3)"},
        {listRoles_, "SELECT id, name FROM roles WHERE account_id = ?1 ORDER BY position"},
        {raiseEnchant_, "UPDATE roles SET enchant_level = enchant_level + 1 WHERE id = ?1"},
        {readEnchant_, "SELECT enchant_level FROM roles WHERE id = ?1"},
        {countDraws_, "SELECT COUNT(*) FROM draws WHERE account_id = ?1 AND day = ?2"},
        {insertDraw_, "INSERT INTO draws(account_id, day, slot, prize, drawn_at) VALUES(?1, ?2, ?3, ?4, ?5)"},
        {creditDiamonds_, "UPDATE accounts SET diamonds = diamonds + ?2 WHERE id = ?1"},
        {begin_, "BEGIN IMMEDIATE"},
        {commit_, "COMMIT"},
        {rollback_, "ROLLBACK"},
        {ping_, "SELECT 1 FROM schema_version LIMIT 1"},
        {readAccounts_,
         "SELECT id, name, password, diamonds, created_at FROM accounts WHERE id > ?1 ORDER BY id LIMIT ?2"},
        {readRoles_,
         "SELECT id, account_id, position, name, enchant_level FROM roles WHERE id > ?1 ORDER BY id LIMIT ?2"},
        {readDraws_,
         "SELECT id, account_id, day, slot, prize, drawn_at FROM draws WHERE id > ?1 ORDER BY id LIMIT ?2"},
        {countRows_, "SELECT (SELECT COUNT(*) FROM accounts) + (SELECT COUNT(*) FROM roles) + "
                     "(SELECT COUNT(*) FROM draws)"},
        {loadAccount_, "INSERT INTO accounts(id, name, password, diamonds, created_at) VALUES(?1, ?2, ?3, ?4, ?5)"},
        {loadRole_, "INSERT INTO roles(id, account_id, position, name, enchant_level) VALUES(?1, ?2, ?3, ?4, ?5)"},
        {loadDraw_, "INSERT INTO draws(id, account_id, day, slot, prize, drawn_at) VALUES(?1, ?2, ?3, ?4, ?5, ?6)"},
    };
    for (Prepared& entry : statements) {
        if (!entry.statement.Prepare(database_, entry.sql)) {
            return common::Error{std::string("cannot prepare \"") + entry.sql + "\": " + sqlite3_errmsg(database_)};
        }
    }
    return {};
}

bool SqliteStore::Begin() {
    begin_.Reset();
    return begin_.Step() == SQLITE_DONE;
}

bool SqliteStore::Commit() {
    commit_.Reset();
    return commit_.Step() == SQLITE_DONE;
}

void SqliteStore::Rollback() {
    rollback_.Reset();
    rollback_.Step();
}

StoreResult<StoredAccount> SqliteStore::FindAccount(std::string_view name) {
    findAccount_.Reset();
    if (!findAccount_.Bind(1, name)) return Fail("find account");
    int step = findAccount_.Step();
    if (step == SQLITE_DONE) return StoreError{StoreStatus::NotFound, "no such account"};
    if (step != SQLITE_ROW) return Fail("find account");
    StoredAccount account{findAccount_.ColumnInteger(0), findAccount_.ColumnText(1)};
    findAccount_.Reset();
    return account;
}

StoreResult<std::vector<StoredRole>> SqliteStore::CreateAccount(std::string_view name, std::string_view passwordRecord,
                                                                std::span<const std::string> roleClasses,
                                                                int64_t createdAt) {
    if (!Begin()) return Fail("create account");
    insertAccount_.Reset();
    insertAccount_.Bind(1, name);
    insertAccount_.Bind(2, passwordRecord);
    insertAccount_.Bind(3, createdAt);
    int step = insertAccount_.Step();
    if (step != SQLITE_DONE) {
        bool taken = sqlite3_extended_errcode(database_) == SQLITE_CONSTRAINT_UNIQUE;
        StoreError error = taken ? StoreError{StoreStatus::AlreadyExists, "the name is taken"} : Fail("create account");
        Rollback();
        return error;
    }
    int64_t accountId = sqlite3_last_insert_rowid(database_);
    std::vector<StoredRole> roles;
    int64_t position = 0;
    for (const std::string& roleClass : roleClasses) {
        StoredRole role;
        role.name = roleClass + std::to_string(accountId);
        insertRole_.Reset();
        insertRole_.Bind(1, accountId);
        insertRole_.Bind(2, position++);
        insertRole_.Bind(3, role.name);
        if (insertRole_.Step() != SQLITE_DONE) {
            StoreError error = Fail("create role");
            Rollback();
            return error;
        }
        role.id = sqlite3_last_insert_rowid(database_);
        roles.push_back(std::move(role));
    }
    if (!Commit()) {
        StoreError error = Fail("commit account");
        Rollback();
        return error;
    }
    return roles;
}

StoreResult<std::vector<StoredRole>> SqliteStore::ListRoles(int64_t accountId) {
    std::vector<StoredRole> roles;
    listRoles_.Reset();
    listRoles_.Bind(1, accountId);
    int step;
    while ((step = listRoles_.Step()) == SQLITE_ROW) {
        roles.push_back({listRoles_.ColumnInteger(0), listRoles_.ColumnText(1)});
    }
    if (step != SQLITE_DONE) {
        StoreError error = Fail("list roles");
        listRoles_.Reset();
        return error;
    }
    listRoles_.Reset();
    return roles;
}

StoreResult<int64_t> SqliteStore::RaiseEnchantLevel(int64_t roleId) {
    if (!Begin()) return Fail("raise enchant level");
    raiseEnchant_.Reset();
    raiseEnchant_.Bind(1, roleId);
    if (raiseEnchant_.Step() != SQLITE_DONE) {
        StoreError error = Fail("raise enchant level");
        Rollback();
        return error;
    }
    if (sqlite3_changes(database_) == 0) {
        Rollback();
        return StoreError{StoreStatus::NotFound, "no such role"};
    }
    readEnchant_.Reset();
    readEnchant_.Bind(1, roleId);
    bool read = readEnchant_.Step() == SQLITE_ROW;
    int64_t level = read ? readEnchant_.ColumnInteger(0) : 0;
    readEnchant_.Reset();
    if (!read || !Commit()) {
        StoreError error = Fail("raise enchant level");
        Rollback();
        return error;
    }
    return level;
}

// BEGIN IMMEDIATE takes the file's write lock before counting, so no other process can
// record a draw between the count and the insert.
StoreResult<int> SqliteStore::RecordDraw(int64_t accountId, std::string_view day, int limit, int slot, int prize,
                                         int64_t drawnAt) {
    if (!Begin()) return Fail("record draw");
    countDraws_.Reset();
    countDraws_.Bind(1, accountId);
    countDraws_.Bind(2, day);
    if (countDraws_.Step() != SQLITE_ROW) {
        StoreError error = Fail("count draws");
        countDraws_.Reset();
        Rollback();
        return error;
    }
    int64_t used = countDraws_.ColumnInteger(0);
    countDraws_.Reset();
    if (used >= limit) {
        Rollback();
        return StoreError{StoreStatus::LimitReached, "the daily limit is reached"};
    }
    insertDraw_.Reset();
    insertDraw_.Bind(1, accountId);
    insertDraw_.Bind(2, day);
    insertDraw_.Bind(3, static_cast<int64_t>(slot));
    insertDraw_.Bind(4, static_cast<int64_t>(prize));
    insertDraw_.Bind(5, drawnAt);
    creditDiamonds_.Reset();
    creditDiamonds_.Bind(1, accountId);
    creditDiamonds_.Bind(2, static_cast<int64_t>(prize));
    if (insertDraw_.Step() != SQLITE_DONE || creditDiamonds_.Step() != SQLITE_DONE || !Commit()) {
        StoreError error = Fail("record draw");
        Rollback();
        return error;
    }
    return static_cast<int>(limit - used - 1);
}

StoreResult<> SqliteStore::Ping() {
    ping_.Reset();
    int step = ping_.Step();
    StoreResult<> result = step == SQLITE_ROW || step == SQLITE_DONE ? StoreResult<>() : Fail("ping");
    ping_.Reset();
    return result;
}

StoreResult<> SqliteStore::ReadRows(StoreTable table, int64_t afterId, size_t limit, StoreRows& rows) {
    SqliteStatement& read = table == StoreTable::Accounts ? readAccounts_
                            : table == StoreTable::Roles  ? readRoles_
                                                          : readDraws_;
    read.Reset();
    read.Bind(1, afterId);
    read.Bind(2, static_cast<int64_t>(limit));
    int step;
    while ((step = read.Step()) == SQLITE_ROW) {
        switch (table) {
        case StoreTable::Accounts:
            rows.accounts.push_back({read.ColumnInteger(0), read.ColumnText(1), read.ColumnText(2),
                                     read.ColumnInteger(3), read.ColumnInteger(4)});
            break;
        case StoreTable::Roles:
            rows.roles.push_back({read.ColumnInteger(0), read.ColumnInteger(1), read.ColumnInteger(2),
                                  read.ColumnText(3), read.ColumnInteger(4)});
            break;
        case StoreTable::Draws:
            rows.draws.push_back({read.ColumnInteger(0), read.ColumnInteger(1), read.ColumnText(2),
                                  read.ColumnInteger(3), read.ColumnInteger(4), read.ColumnInteger(5)});
            break;
        }
    }
    StoreResult<> result = step == SQLITE_DONE ? StoreResult<>() : Fail("read rows");
    read.Reset();
    return result;
}

StoreResult<> SqliteStore::BeginLoad() {
    if (!Begin()) return Fail("begin the load");
    countRows_.Reset();
    bool counted = countRows_.Step() == SQLITE_ROW;
    int64_t count = counted ? countRows_.ColumnInteger(0) : 0;
    countRows_.Reset();
    if (!counted || count > 0) {
        StoreError error = counted ? StoreError{StoreStatus::AlreadyExists,
                                                "the database already holds " + std::to_string(count) + " rows"}
                                   : Fail("count rows");
        Rollback();
        return error;
    }
    return {};
}

StoreResult<> SqliteStore::LoadRows(const StoreRows& rows) {
    for (const AccountRow& row : rows.accounts) {
        loadAccount_.Reset();
        loadAccount_.Bind(1, row.id);
        loadAccount_.Bind(2, row.name);
        loadAccount_.Bind(3, row.password);
        loadAccount_.Bind(4, row.diamonds);
        loadAccount_.Bind(5, row.createdAt);
        if (loadAccount_.Step() != SQLITE_DONE) return Fail("load account " + std::to_string(row.id));
    }
    for (const RoleRow& row : rows.roles) {
        loadRole_.Reset();
        loadRole_.Bind(1, row.id);
        loadRole_.Bind(2, row.accountId);
        loadRole_.Bind(3, row.position);
        loadRole_.Bind(4, row.name);
        loadRole_.Bind(5, row.enchantLevel);
        if (loadRole_.Step() != SQLITE_DONE) return Fail("load role " + std::to_string(row.id));
    }
    for (const DrawRow& row : rows.draws) {
        loadDraw_.Reset();
        loadDraw_.Bind(1, row.id);
        loadDraw_.Bind(2, row.accountId);
        loadDraw_.Bind(3, row.day);
        loadDraw_.Bind(4, row.slot);
        loadDraw_.Bind(5, row.prize);
        loadDraw_.Bind(6, row.drawnAt);
        if (loadDraw_.Step() != SQLITE_DONE) return Fail("load draw " + std::to_string(row.id));
    }
    return {};
}

StoreResult<> SqliteStore::CommitLoad() {
    if (Commit()) return {};
    StoreError error = Fail("commit the load");
    Rollback();
    return error;
}

void SqliteStore::AbandonLoad() { Rollback(); }

}  // namespace server
