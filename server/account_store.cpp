#include "server/account_store.h"

namespace server {

namespace {

constexpr int kSchemaVersion = 1;

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
)sql";

}  // namespace

std::unique_ptr<AccountStore> AccountStore::Open(const std::string& path, std::string& error) {
    sqlite3* database = nullptr;
    int opened = sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<AccountStore> store(new AccountStore(database));
    if (opened != SQLITE_OK) {
        error = "cannot open " + path + ": " + (database ? sqlite3_errmsg(database) : "out of memory");
        return nullptr;
    }
    if (!store->Prepare(error)) return nullptr;
    return store;
}

// close_v2 defers the close until the member statements are finalized after this body.
AccountStore::~AccountStore() { sqlite3_close_v2(database_); }

bool AccountStore::Execute(const char* sql) {
    return sqlite3_exec(database_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string AccountStore::LastError() const { return database_ ? sqlite3_errmsg(database_) : "no database"; }

bool AccountStore::Prepare(std::string& error) {
    sqlite3_busy_timeout(database_, 2000);
    // WAL with NORMAL sync keeps every committed change across a crash of this process
    // without an fsync per request.
    if (!Execute("PRAGMA journal_mode=WAL") || !Execute("PRAGMA synchronous=NORMAL") ||
        !Execute("PRAGMA foreign_keys=ON")) {
        error = "cannot configure the database: " + LastError();
        return false;
    }
    SqliteStatement version;
    if (!version.Prepare(database_, "PRAGMA user_version") || version.Step() != SQLITE_ROW) {
        error = "cannot read the schema version: " + LastError();
        return false;
    }
    int64_t found = version.ColumnInteger(0);
    if (found > kSchemaVersion) {
        error = "the database was written by a newer server (schema " + std::to_string(found) + ")";
        return false;
    }
    std::string create = std::string("BEGIN;") + kSchema + "PRAGMA user_version=" +
                         std::to_string(kSchemaVersion) + ";COMMIT;";
    if (!Execute(create.c_str())) {
        error = "cannot create the tables: " + LastError();
        Execute("ROLLBACK");
        return false;
    }
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
    };
    for (Prepared& entry : statements) {
        if (!entry.statement.Prepare(database_, entry.sql)) {
            error = std::string("cannot prepare \"") + entry.sql + "\": " + LastError();
            return false;
        }
    }
    return true;
}

bool AccountStore::Begin() {
    begin_.Reset();
    return begin_.Step() == SQLITE_DONE;
}

bool AccountStore::Commit() {
    commit_.Reset();
    return commit_.Step() == SQLITE_DONE;
}

void AccountStore::Rollback() {
    rollback_.Reset();
    rollback_.Step();
}

StoreStatus AccountStore::FindAccount(std::string_view name, StoredAccount& account) {
    findAccount_.Reset();
    if (!findAccount_.Bind(1, name)) return StoreStatus::Failed;
    int step = findAccount_.Step();
    if (step == SQLITE_DONE) return StoreStatus::NotFound;
    if (step != SQLITE_ROW) return StoreStatus::Failed;
    account.id = findAccount_.ColumnInteger(0);
    account.passwordRecord = findAccount_.ColumnText(1);
    findAccount_.Reset();
    return StoreStatus::Ok;
}

StoreStatus AccountStore::CreateAccount(std::string_view name, std::string_view passwordRecord,
                                        std::span<const std::string> roleClasses, int64_t createdAt,
                                        std::vector<StoredRole>& roles) {
    if (!Begin()) return StoreStatus::Failed;
    insertAccount_.Reset();
    insertAccount_.Bind(1, name);
    insertAccount_.Bind(2, passwordRecord);
    insertAccount_.Bind(3, createdAt);
    int step = insertAccount_.Step();
    if (step != SQLITE_DONE) {
        bool taken = sqlite3_extended_errcode(database_) == SQLITE_CONSTRAINT_UNIQUE;
        Rollback();
        return taken ? StoreStatus::AlreadyExists : StoreStatus::Failed;
    }
    int64_t accountId = sqlite3_last_insert_rowid(database_);
    roles.clear();
    int64_t position = 0;
    for (const std::string& roleClass : roleClasses) {
        StoredRole role;
        role.name = roleClass + std::to_string(accountId);
        insertRole_.Reset();
        insertRole_.Bind(1, accountId);
        insertRole_.Bind(2, position++);
        insertRole_.Bind(3, role.name);
        if (insertRole_.Step() != SQLITE_DONE) {
            Rollback();
            return StoreStatus::Failed;
        }
        role.id = sqlite3_last_insert_rowid(database_);
        roles.push_back(std::move(role));
    }
    if (!Commit()) {
        Rollback();
        return StoreStatus::Failed;
    }
    return StoreStatus::Ok;
}

StoreStatus AccountStore::ListRoles(int64_t accountId, std::vector<StoredRole>& roles) {
    roles.clear();
    listRoles_.Reset();
    listRoles_.Bind(1, accountId);
    int step;
    while ((step = listRoles_.Step()) == SQLITE_ROW) {
        roles.push_back({listRoles_.ColumnInteger(0), listRoles_.ColumnText(1)});
    }
    listRoles_.Reset();
    return step == SQLITE_DONE ? StoreStatus::Ok : StoreStatus::Failed;
}

StoreStatus AccountStore::RaiseEnchantLevel(int64_t roleId, int64_t& level) {
    if (!Begin()) return StoreStatus::Failed;
    raiseEnchant_.Reset();
    raiseEnchant_.Bind(1, roleId);
    if (raiseEnchant_.Step() != SQLITE_DONE) {
        Rollback();
        return StoreStatus::Failed;
    }
    if (sqlite3_changes(database_) == 0) {
        Rollback();
        return StoreStatus::NotFound;
    }
    readEnchant_.Reset();
    readEnchant_.Bind(1, roleId);
    bool read = readEnchant_.Step() == SQLITE_ROW;
    if (read) level = readEnchant_.ColumnInteger(0);
    readEnchant_.Reset();
    if (!read || !Commit()) {
        Rollback();
        return StoreStatus::Failed;
    }
    return StoreStatus::Ok;
}

StoreStatus AccountStore::RecordDraw(int64_t accountId, std::string_view day, int limit, int slot, int prize,
                                     int64_t drawnAt, int& drawsLeft) {
    if (!Begin()) return StoreStatus::Failed;
    countDraws_.Reset();
    countDraws_.Bind(1, accountId);
    countDraws_.Bind(2, day);
    if (countDraws_.Step() != SQLITE_ROW) {
        countDraws_.Reset();
        Rollback();
        return StoreStatus::Failed;
    }
    int64_t used = countDraws_.ColumnInteger(0);
    countDraws_.Reset();
    if (used >= limit) {
        Rollback();
        drawsLeft = 0;
        return StoreStatus::LimitReached;
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
        Rollback();
        return StoreStatus::Failed;
    }
    drawsLeft = static_cast<int>(limit - used - 1);
    return StoreStatus::Ok;
}

}  // namespace server
