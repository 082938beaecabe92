// Whether a verified update document may be installed: not expired, not older
// than the installed version, and not older than a document already verified
// for the same key (a replay). The highest sequence number seen per key is
// kept in a small file of the updater's own in the game folder.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "update_format/entry_paths.h"
#include "update_format/update_document.h"
#include "update_format/update_signature.h"

namespace updater {

constexpr size_t kLargestSequenceFile = 64 * 1024;

// A day either way for players' clocks.
constexpr int64_t kClockTolerance = 24 * 3600;

// The highest sequence number verified per key id (KeyIdText).
using SequenceRecord = std::map<std::string, uint64_t>;

std::string SerializeSequenceRecord(const SequenceRecord& record);
// Nothing when the text is not a whole record.
std::optional<SequenceRecord> ParseSequenceRecord(std::string_view text);

enum class TrustVerdict { Trusted, Expired, Replayed, OlderVersion };

struct TrustCheck {
    TrustVerdict verdict = TrustVerdict::Trusted;
    uint64_t highestSeen = 0;  // for the key, before this document
};

// `installedVersion` is update.ini's (nothing when it has none); `now` is seconds since 1970 UTC.
TrustCheck CheckTrust(const UpdateDocument& document, const std::string& keyId, const SequenceRecord& record,
                      const std::optional<std::string>& installedVersion, int64_t now);

// One line of plain Chinese (GBK) naming why the document is refused.
std::string DescribeTrustCheck(const TrustCheck& check, const UpdateDocument& document,
                               const std::optional<std::string>& installedVersion);

// The same for a signature that does not verify (signed by `keyId` when known).
std::string DescribeSignatureProblem(SignatureStatus status, const KeyId& keyId);

}  // namespace updater
