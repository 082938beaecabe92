// Copying every account, role and draw from one store into an empty one (SQLite to
// PostgreSQL, say), checked by counts and a checksum before the copy is committed, so
// a refused copy leaves the target as it was.
#pragma once

#include <cstdint>
#include <string>

#include "common/result.h"
#include "server/account_store.h"

namespace server {

struct StoreSummary {
    uint64_t accounts = 0;
    uint64_t roles = 0;
    uint64_t draws = 0;
    std::string checksum;  // SHA-256 over every row in id order, hex

    bool operator==(const StoreSummary&) const = default;
    std::string Describe() const;
};

// Reads the whole store.
common::Result<StoreSummary> SummariseStore(AccountStore& store);

// Copies `from` into `to`, which must be empty, and returns what was copied; on
// failure `to` is unchanged.
common::Result<StoreSummary> CopyStore(AccountStore& from, AccountStore& to);

// --copy-store: opens both locations and copies.
common::Result<StoreSummary> CopyStoreLocations(const std::string& from, const std::string& to);

}  // namespace server
