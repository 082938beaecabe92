// Copying every account, role and draw from one store into an empty one (SQLite to
// PostgreSQL, say), checked by counts and a checksum before the copy is committed, so
// a refused copy leaves the target as it was.
#pragma once

#include <cstdint>
#include <string>

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

// Reads the whole store; false with `error` set on failure.
bool SummariseStore(AccountStore& store, StoreSummary& summary, std::string& error);

// Copies `from` into `to`, which must be empty; false with `error` set, and `to`
// unchanged, on failure.
bool CopyStore(AccountStore& from, AccountStore& to, StoreSummary& copied, std::string& error);

// --copy-store: opens both locations and copies; false with `error` set on failure.
bool CopyStoreLocations(const std::string& from, const std::string& to, StoreSummary& copied, std::string& error);

}  // namespace server
