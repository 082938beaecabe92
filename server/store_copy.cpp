#include "server/store_copy.h"

#include <openssl/evp.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "common/hex.h"

namespace server {

namespace {

constexpr size_t kPageRows = 1000;

// Each field length-prefixed, so that no two different rows feed the same bytes.
class RowDigest {
public:
    RowDigest() : context_(EVP_MD_CTX_new(), EVP_MD_CTX_free) { EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr); }

    void Add(int64_t value) { Add(std::to_string(value)); }
    void Add(std::string_view text) {
        std::string length = std::to_string(text.size()) + ":";
        EVP_DigestUpdate(context_.get(), length.data(), length.size());
        EVP_DigestUpdate(context_.get(), text.data(), text.size());
    }
    void Add(const AccountRow& row) {
        Add("account");
        Add(row.id), Add(row.name), Add(row.password), Add(row.diamonds), Add(row.createdAt);
    }
    void Add(const RoleRow& row) {
        Add("role");
        Add(row.id), Add(row.accountId), Add(row.position), Add(row.name), Add(row.enchantLevel);
    }
    void Add(const DrawRow& row) {
        Add("draw");
        Add(row.id), Add(row.accountId), Add(row.day), Add(row.slot), Add(row.prize), Add(row.drawnAt);
    }
    std::string Finish() {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_DigestFinal_ex(context_.get(), digest, &length);
        return common::HexEncode(std::span<const uint8_t>(digest, length));
    }

private:
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context_;
};

int64_t LastId(const StoreRows& rows, StoreTable table) {
    switch (table) {
    case StoreTable::Accounts: return rows.accounts.back().id;
    case StoreTable::Roles: return rows.roles.back().id;
    case StoreTable::Draws: return rows.draws.back().id;
    }
    return 0;
}

size_t RowCount(const StoreRows& rows) { return rows.accounts.size() + rows.roles.size() + rows.draws.size(); }

// Reads every row of every table in id order, a page at a time, into `digest` and
// `summary`, handing each page to `page` as well.
bool ReadAll(AccountStore& store, StoreSummary& summary, std::string& error,
             const std::function<bool(const StoreRows&)>& page) {
    RowDigest digest;
    summary = StoreSummary();
    for (StoreTable table : {StoreTable::Accounts, StoreTable::Roles, StoreTable::Draws}) {
        for (int64_t after = 0;;) {
            StoreRows rows;
            if (store.ReadRows(table, after, kPageRows, rows) != StoreStatus::Ok) {
                error = "cannot read: " + store.LastError();
                return false;
            }
            if (RowCount(rows) == 0) break;
            for (const AccountRow& row : rows.accounts) digest.Add(row);
            for (const RoleRow& row : rows.roles) digest.Add(row);
            for (const DrawRow& row : rows.draws) digest.Add(row);
            summary.accounts += rows.accounts.size();
            summary.roles += rows.roles.size();
            summary.draws += rows.draws.size();
            if (!page(rows)) return false;
            after = LastId(rows, table);
        }
    }
    summary.checksum = digest.Finish();
    return true;
}

}  // namespace

std::string StoreSummary::Describe() const {
    return std::to_string(accounts) + " accounts, " + std::to_string(roles) + " roles, " + std::to_string(draws) +
           " draws, sha256 " + checksum;
}

bool SummariseStore(AccountStore& store, StoreSummary& summary, std::string& error) {
    return ReadAll(store, summary, error, [](const StoreRows&) { return true; });
}

bool CopyStore(AccountStore& from, AccountStore& to, StoreSummary& copied, std::string& error) {
    StoreStatus begun = to.BeginLoad();
    if (begun != StoreStatus::Ok) {
        error = (begun == StoreStatus::AlreadyExists ? "the target is not empty: " : "cannot write the target: ") +
                to.LastError();
        return false;
    }
    auto refuse = [&](const std::string& why) {
        to.AbandonLoad();
        error = why;
        return false;
    };
    std::string problem;
    bool read = ReadAll(from, copied, problem, [&](const StoreRows& rows) {
        if (to.LoadRows(rows) == StoreStatus::Ok) return true;
        problem = "cannot write the target: " + to.LastError();
        return false;
    });
    if (!read) return refuse(problem);
    StoreSummary written, again;
    if (!SummariseStore(to, written, problem)) return refuse("the copy: " + problem);
    if (!(written == copied)) {
        return refuse("the copy differs from what was read (" + written.Describe() + " against " + copied.Describe() +
                      "); nothing was copied");
    }
    // Rows written meanwhile by a server on the source would be missing from the copy.
    if (!SummariseStore(from, again, problem)) return refuse("the source: " + problem);
    if (!(again == copied)) {
        return refuse("the source changed during the copy; stop the servers that use it and copy again");
    }
    if (to.CommitLoad() != StoreStatus::Ok) {
        error = "cannot commit the copy: " + to.LastError();
        return false;
    }
    return true;
}

bool CopyStoreLocations(const std::string& from, const std::string& to, StoreSummary& copied, std::string& error) {
    // Opening a file that is not there would create an empty store to copy from.
    if (!IsPostgresLocation(from) && !std::filesystem::is_regular_file(from)) {
        error = "no store at " + from;
        return false;
    }
    std::unique_ptr<AccountStore> source = OpenAccountStore(from, error);
    if (!source) return false;
    std::unique_ptr<AccountStore> target = OpenAccountStore(to, error);
    if (!target) return false;
    return CopyStore(*source, *target, copied, error);
}

}  // namespace server
