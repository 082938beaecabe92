// Publishing a game version for the updater: every file of a game folder is
// hashed and copied to <www>/<document folder>/files/<version>/ with, beside
// each large one, its chunk index (<file>.chunks, for delta updates), and the
// update document listing them is written to <www>/<document>. Each file is
// written under a hidden temporary name and renamed, so the server never
// hands out half a file or half a document. With a signing key, the
// document's signature is written beside it (<document>.minisig).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "tools/publish/signing_key.h"

namespace publish {

struct PublishRequest {
    std::string version;       // UTF-8
    std::string gameFolder;
    std::string wwwFolder;
    std::string documentPath = "vorlenk2/update.xml";  // below wwwFolder, as the launcher asks for it
    std::vector<std::string> excluded;                 // patterns for paths or names (fnmatch)
    std::optional<SigningKey> signingKey;              // none: the document is written unsigned
    int expiresDays = 30;                              // the document's validity from now
    int64_t now = 0;                                   // seconds since 1970 UTC; 0 reads the clock
    bool chunkIndexes = true;                          // false: players always fetch changed files whole
};

// The longest validity a document may be given: an expiry is what stops an
// old document from being replayed for ever.
constexpr int kMostExpiresDays = 3650;

// Files that belong to the player's machine, never published.
extern const std::vector<std::string> kAlwaysExcluded;

struct PublishSummary {
    size_t files = 0;
    uint64_t bytes = 0;
    size_t indexes = 0;      // chunk indexes written
    uint64_t indexBytes = 0;
    std::string document;  // the path written
    uint64_t sequence = 0;
    int64_t expires = 0;
    bool isSigned = false;
};

// What was published, or why not (nothing of the document is changed then).
common::Result<PublishSummary> Publish(const PublishRequest& request);

// Signs the published document again with a new expiry and the next sequence
// number, without touching any published file (the version, gameFolder and
// excluded fields are not used).
common::Result<PublishSummary> Resign(const PublishRequest& request);

}  // namespace publish
