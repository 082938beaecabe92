// Fetching the update document so that only what the operator signed is
// read: the document and its signature (both size-capped) are fetched, the
// signature is verified over the exact bytes with a pinned key, and only then
// is the document parsed and checked for expiry, downgrade and replay. The
// highest sequence number seen is recorded only after all of that passed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "updater/game_folder_win32.h"
#include "updater/http_transfer_win32.h"
#include "update_format/update_document.h"
#include "update_format/update_signature.h"

namespace updater {

struct TrustSettings {
    std::vector<PublicKey> keys;  // pinned: a document must be signed by one of them
    bool allowUnsigned = false;   // local testing only: no signature is fetched or checked
    std::function<int64_t()> now;  // seconds since 1970 UTC; null reads the system clock
};

// The keys the brand pins (base64 lines separated by blanks); a line that is
// not a key is left out, so a broken build trusts less, never more.
std::vector<PublicKey> PinnedKeys(const char* base64Lines);

struct FetchedDocument {
    bool ok = false;
    std::string message;  // GBK: why the document is refused
    UpdateDocument document;
};

FetchedDocument FetchTrustedDocument(HttpTransfer& http, const std::string& documentUrl, const GameFolder& folder,
                                     const TrustSettings& trust);

}  // namespace updater
