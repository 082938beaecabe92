// The store on both back ends, through its interface: schema versions, loading rows
// with their ids, and copying a whole store with counts and checksum checked.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "server/account_store.h"
#include "server/sqlite_store.h"
#include "server/store_copy.h"
#include "support/loopback_client.h"
#include "support/server_process.h"
#include "support/test_database.h"

namespace {

using server::AccountStore;
using server::StoreRows;
using server::StoreStatus;
using server::StoreTable;
using server::testing::Backend;
using server::testing::BackendTest;
using server::testing::TemporaryFolder;
using server::testing::LoopbackClient;
using server::testing::TestDatabase;

// Stores take UTF-8, and this file's narrow literals are GBK.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

const std::vector<std::string> kClasses = {Utf8(u8"剑客"), Utf8(u8"法师")};

std::unique_ptr<AccountStore> Open(const std::string& location) {
    auto store = server::OpenAccountStore(location);
    EXPECT_TRUE(store) << store.error().message;
    return store ? std::move(*store) : nullptr;
}

// Two accounts with roles, draws and an enchant: something of every table and column.
void Fill(AccountStore& store) {
    ASSERT_TRUE(store.CreateAccount(Utf8(u8"玩家一号"), "record-1", kClasses, 1000));
    auto roles = store.CreateAccount("player2", "record-2", kClasses, 2000);
    ASSERT_TRUE(roles);
    ASSERT_TRUE(store.RaiseEnchantLevel((*roles)[1].id));
    ASSERT_TRUE(store.RecordDraw(1, "2026-01-01", 3, 16, 500, 3000));
    ASSERT_TRUE(store.RecordDraw(2, "2026-01-02", 3, 4, 50, 4000));
}

StoreRows ReadAll(AccountStore& store) {
    StoreRows rows;
    for (StoreTable table : {StoreTable::Accounts, StoreTable::Roles, StoreTable::Draws}) {
        auto read = store.ReadRows(table, 0, 1000, rows);
        EXPECT_TRUE(read) << read.error().message;
    }
    return rows;
}

using Store = BackendTest;

TEST_P(Store, KeepsEveryColumnAndOrdersRowsById) {
    std::unique_ptr<AccountStore> store = Open(database_.location());
    ASSERT_TRUE(store);
    Fill(*store);
    StoreRows rows = ReadAll(*store);
    ASSERT_EQ(rows.accounts.size(), 2u);
    EXPECT_EQ(rows.accounts[0].name, Utf8(u8"玩家一号"));
    EXPECT_EQ(rows.accounts[0].diamonds, 500);
    EXPECT_EQ(rows.accounts[1].password, "record-2");
    EXPECT_EQ(rows.accounts[1].createdAt, 2000);
    ASSERT_EQ(rows.roles.size(), 4u);
    EXPECT_EQ(rows.roles[3].name, Utf8(u8"法师2"));
    EXPECT_EQ(rows.roles[3].enchantLevel, 1);
    ASSERT_EQ(rows.draws.size(), 2u);
    EXPECT_EQ(rows.draws[1].day, "2026-01-02");
    EXPECT_EQ(rows.draws[1].prize, 50);
    // Paging: after the first id, one row at a time.
    StoreRows page;
    ASSERT_TRUE(store->ReadRows(StoreTable::Roles, rows.roles[0].id, 1, page));
    ASSERT_EQ(page.roles.size(), 1u);
    EXPECT_EQ(page.roles[0].id, rows.roles[1].id);
}

TEST_P(Store, RefusesADatabaseOfANewerSchemaAndReopensItsOwn) {
    ASSERT_TRUE(Open(database_.location()));
    ASSERT_TRUE(Open(database_.location()));  // a second start finds the tables made
    ASSERT_TRUE(database_.Execute("UPDATE schema_version SET version = 3"));
    auto refused = server::OpenAccountStore(database_.location());
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("newer server (schema 3)"), std::string::npos) << refused.error().message;
}

TEST_P(Store, ALoadIsAllOrNothingAndNewIdsFollowIt) {
    std::unique_ptr<AccountStore> store = Open(database_.location());
    ASSERT_TRUE(store);
    StoreRows rows;
    rows.accounts.push_back({41, "copied1", "record", 70, 5});
    rows.roles.push_back({90, 41, 0, Utf8(u8"剑客41"), 2});
    rows.draws.push_back({7, 41, "2026-01-01", 6, 100, 9});

    ASSERT_TRUE(store->BeginLoad());
    ASSERT_TRUE(store->LoadRows(rows));
    EXPECT_EQ(ReadAll(*store).accounts.size(), 1u);  // the load sees its own rows
    store->AbandonLoad();
    EXPECT_TRUE(ReadAll(*store).accounts.empty());

    ASSERT_TRUE(store->BeginLoad());
    ASSERT_TRUE(store->LoadRows(rows));
    auto committed = store->CommitLoad();
    ASSERT_TRUE(committed) << committed.error().message;
    auto again = store->BeginLoad();
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().code, StoreStatus::AlreadyExists);

    auto roles = store->CreateAccount("after1", "record", kClasses, 6);
    ASSERT_TRUE(roles) << roles.error().message;
    EXPECT_EQ((*roles)[0].name, Utf8(u8"剑客42"));
    EXPECT_GT((*roles)[0].id, 90);
    auto left = store->RecordDraw(41, "2026-01-01", 2, 1, 10, 10);
    ASSERT_TRUE(left) << left.error().message;
    EXPECT_EQ(*left, 0);  // the copied draw counts against the day's limit
}

TEST_P(Store, CopiesAWholeStoreAndRefusesATargetThatIsNotEmpty) {
    TemporaryFolder folder;
    std::unique_ptr<AccountStore> source = Open(folder.path() + "/source.db");
    std::unique_ptr<AccountStore> target = Open(database_.location());
    ASSERT_TRUE(source && target);
    Fill(*source);

    auto copied = server::CopyStore(*source, *target);
    ASSERT_TRUE(copied) << copied.error().message;
    EXPECT_EQ(copied->accounts, 2u);
    EXPECT_EQ(copied->roles, 4u);
    EXPECT_EQ(copied->draws, 2u);
    auto read = server::SummariseStore(*target);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(*read, *copied);

    // A second copy into the now filled target is refused and changes nothing there.
    ASSERT_TRUE(source->CreateAccount("player3", "record-3", kClasses, 5000));
    auto refused = server::CopyStore(*source, *target);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("not empty"), std::string::npos) << refused.error().message;
    auto after = server::SummariseStore(*target);
    ASSERT_TRUE(after) << after.error().message;
    EXPECT_EQ(*after, *read);
}

// The operators' way: a server's SQLite file copied with the program, then served from the copy.
TEST_P(Store, CopyStoreFlagMovesAServersPlayersToAnotherStore) {
    TemporaryFolder folder;
    server::ServerConfig config = server::testing::TestServer::DefaultConfig();
    config.databasePath = folder.path() + "/old.db";
    std::string roles;
    {
        server::testing::TestServer old(config);
        LoopbackClient client(old.gamePort());
        ASSERT_EQ(client.Exchange(LoopbackClient::Request("注册账号", "mover1", "secret1")), "注册成功");
        roles = client.Exchange(LoopbackClient::Request("登陆商城", "mover1", "secret1"));
        ASSERT_EQ(client.Exchange(LoopbackClient::Request("幸运抽奖", "mover1", "4")), "抽奖结果\r\n50\r\n2");
    }
    std::string output;
    ASSERT_EQ(server::testing::RunServerProgram({"--copy-store", config.databasePath, database_.location()}, output),
              0)
        << output;
    EXPECT_EQ(output.rfind("copied 1 accounts, 3 roles, 1 draws, sha256 ", 0), 0u) << output;
    EXPECT_EQ(output.find("password"), std::string::npos);
    output.clear();
    EXPECT_EQ(server::testing::RunServerProgram({"--copy-store", config.databasePath, database_.location()}, output),
              1);
    EXPECT_NE(output.find("copy refused: the target is not empty"), std::string::npos) << output;

    server::testing::TestServer moved(Config());
    LoopbackClient client(moved.gamePort());
    EXPECT_EQ(client.Exchange(LoopbackClient::Request("登陆商城", "mover1", "secret1")), roles);
    EXPECT_EQ(client.Exchange(LoopbackClient::Request("幸运抽奖", "mover1", "4")), "抽奖结果\r\n50\r\n1");
    EXPECT_EQ(client.Exchange(LoopbackClient::Request("注册账号", "mover2", "secret1")), "注册成功");
}

LUMADREL_ON_BOTH_BACKENDS(Store);

// Files from before the version table kept their version in user_version only.
TEST(SqliteStore, UpgradesAFileOfTheFirstSchema) {
    TemporaryFolder folder;
    std::string path = folder.path() + "/old.db";
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(database,
                           "CREATE TABLE accounts (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, password TEXT "
                           "NOT NULL, diamonds INTEGER NOT NULL DEFAULT 0, created_at INTEGER NOT NULL);"
                           "INSERT INTO accounts VALUES(5, 'veteran', 'record', 20, 1);"
                           "PRAGMA user_version=1;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(database);
    std::unique_ptr<AccountStore> store = Open(path);
    ASSERT_TRUE(store);
    auto account = store->FindAccount("veteran");
    ASSERT_TRUE(account);
    EXPECT_EQ(account->id, 5);
    store.reset();
    ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(database, "SELECT version FROM schema_version", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), server::kStoreSchemaVersion);
    sqlite3_finalize(statement);
    sqlite3_close(database);
}

}  // namespace
