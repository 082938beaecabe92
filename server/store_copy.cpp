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

// Reads every row of every table in id order, a page at a time, into the
// summary and its checksum, handing each page to `page` as well.
common::Result<StoreSummary> ReadAll(AccountStore& store,
                                     const std::function<common::Result<void>(const StoreRows&)>& page) {
    RowDigest digest;
    StoreSummary summary;
    for (StoreTable table : {StoreTable::Accounts, StoreTable::Roles, StoreTable::Draws}) {
        for (int64_t after = 0;;) {
            StoreRows rows;
            if (auto read = store.ReadRows(table, after, kPageRows, rows); !read) {
                return common::Error{"cannot read: " + read.error().message};
            }
            if (RowCount(rows) == 0) break;
            for (const AccountRow& row : rows.accounts) digest.Add(row);
            for (const RoleRow& row : rows.roles) digest.Add(row);
            for (const DrawRow& row : rows.draws) digest.Add(row);
            summary.accounts += rows.accounts.size();
            summary.roles += rows.roles.size();
            summary.draws += rows.draws.size();
            if (auto taken = page(rows); !taken) return taken.error();
            after = LastId(rows, table);
        }
    }
    summary.checksum = digest.Finish();
    return summary;
}

}  // namespace

std::string StoreSummary::Describe() const {
    return std::to_string(accounts) + " accounts, " + std::to_string(roles) + " roles, " + std::to_string(draws) +
           " draws, sha256 " + checksum;
}

common::Result<StoreSummary> SummariseStore(AccountStore& store) {
    return ReadAll(store, [](const StoreRows&) { return common::Result<void>(); });
}

common::Result<StoreSummary> CopyStore(AccountStore& from, AccountStore& to) {
    if (auto begun = to.BeginLoad(); !begun) {
        const bool full = begun.error().code == StoreStatus::AlreadyExists;
        return common::WithContext(full ? "the target is not empty: " : "cannot write the target: ",
                                   common::Error(begun.error()));
    }
    auto refuse = [&](const std::string& why) {
        to.AbandonLoad();
        return common::Error{why};
    };
    auto copied = ReadAll(from, [&](const StoreRows& rows) -> common::Result<void> {
        auto loaded = to.LoadRows(rows);
        if (!loaded) return common::Error{"cannot write the target: " + loaded.error().message};
        return {};
    });
    if (!copied) return refuse(copied.error().message);
    auto written = SummariseStore(to);
    if (!written) return refuse("the copy: " + written.error().message);
    if (!(*written == *copied)) {
        return refuse("the copy differs from what was read (" + written->Describe() + " against " +
                      copied->Describe() + "); nothing was copied");
    }
    // Rows written meanwhile by a server on the source would be missing from the copy.
    auto again = SummariseStore(from);
    if (!again) return refuse("the source: " + again.error().message);
    if (!(*again == *copied)) {
        return refuse("the source changed during the copy; stop the servers that use it and copy again");
    }
    if (auto committed = to.CommitLoad(); !committed) {
        return common::Error{"cannot commit the copy: " + committed.error().message};
    }
    return copied;
}

common::Result<StoreSummary> CopyStoreLocations(const std::string& from, const std::string& to) {
    // Opening a file that is not there would create an empty store to copy from.
    if (!IsPostgresLocation(from) && !std::filesystem::is_regular_file(from)) {
        return common::Error{"no store at " + from};
    }
    auto source = OpenAccountStore(from);
    if (!source) return source.error();
    auto target = OpenAccountStore(to);
    if (!target) return target.error();
    return CopyStore(**source, **target);
}

}  // namespace server
