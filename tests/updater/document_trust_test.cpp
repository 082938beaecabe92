// Whether a verified document may be installed: its expiry (a day of clock
// tolerance), its version against the installed one, and its sequence number
// against the highest verified before for the same key, kept in a file that a
// damaged copy of must not lock the player out.
#include <gtest/gtest.h>

#include <string>

#include "updater/document_trust.h"
#include "common/utc_time.h"
#include "updater/version_order.h"

namespace {

using updater::TrustVerdict;

TEST(VersionOrder, ComparesDottedPartsAsNumbers) {
    struct Case {
        const char* older;
        const char* newer;
    } cases[] = {
        {"1.0.9", "1.0.10"}, {"1.0.0", "1.0.1"},   {"1.9", "1.10.0"},        {"0.9.9", "1"},
        {"1.0", "1.0.0.1"},  {"2.0.0", "10.0.0"},  {"99999999999999999999", "100000000000000000000"},
        {"1.0.0", "1.0.0a"}, {"1.0.1", "1.0.1.beta"}, {"1.0.0", "版本二"},
    };
    for (const Case& c : cases) {
        EXPECT_LT(updater::CompareVersions(c.older, c.newer), 0) << c.older << " < " << c.newer;
        EXPECT_GT(updater::CompareVersions(c.newer, c.older), 0) << c.newer << " > " << c.older;
    }
    for (auto [a, b] : {std::pair{"1.0", "1.0.0"}, {"1.02", "1.2"}, {"1.0.1", "1.0.1"}, {"1.0.0.0", "1"}})
        EXPECT_EQ(updater::CompareVersions(a, b), 0) << a << " = " << b;
}

TEST(UtcTime, ReadsOnlyTheOneSpellingAndWritesItBack) {
    EXPECT_EQ(common::ParseUtcTime("1970-01-01T00:00:00Z"), 0);
    EXPECT_EQ(common::ParseUtcTime("2027-01-07T00:00:00Z"), 1799280000);
    EXPECT_EQ(common::ParseUtcTime("2000-02-29T12:00:00Z"), 951825600);
    EXPECT_EQ(common::FormatUtcTime(4102444799), "2099-12-31T23:59:59Z");
    EXPECT_EQ(common::FormatUtcTime(951825600), "2000-02-29T12:00:00Z");
    for (const char* bad : {"", "2027-01-07", "2027-01-07T00:00:00", "2027-01-07T00:00:00+08:00",
                            "2027-01-07 00:00:00Z", "2027-01-07T00:00:00.5Z", "2027-13-01T00:00:00Z",
                            "2027-02-29T00:00:00Z", "2027-01-07T24:00:00Z", "2027-01-07T00:00:60Z",
                            "+027-01-07T00:00:00Z", "2027-01-07t00:00:00z", "２０27-01-07T00:00:00Z"})
        EXPECT_FALSE(common::ParseUtcTime(bad).has_value()) << bad;
}

// A document as the publish tool writes it: 1.0.2, sequence 7, expiring at `expires`.
updater::UpdateDocument Published(int64_t expires = 2000000000, uint64_t sequence = 7, const char* version = "1.0.2") {
    updater::UpdateDocument document;
    document.version = version;
    document.expires = expires;
    document.sequence = sequence;
    return document;
}

TEST(DocumentTrust, RefusesExpiredReplayedAndOlderDocuments) {
    const int64_t now = 1900000000;
    const std::string key = "53574605B5BAE68E";
    const updater::SequenceRecord seen = {{key, 7}, {"0123456789ABCDEF", 50}};
    struct Case {
        const char* what;
        updater::UpdateDocument document;
        updater::SequenceRecord record;
        std::optional<std::string> installed;
        TrustVerdict verdict;
    } cases[] = {
        {"fresh and newer", Published(), seen, "1.0.1", TrustVerdict::Trusted},
        {"the same document again", Published(), seen, "1.0.2", TrustVerdict::Trusted},
        {"within a day past its expiry", Published(now - 86400), seen, "1.0.1", TrustVerdict::Trusted},
        {"more than a day past its expiry", Published(now - 86401), seen, "1.0.1", TrustVerdict::Expired},
        {"an older sequence", Published(2000000000, 6), seen, "1.0.1", TrustVerdict::Replayed},
        {"another key's higher sequence does not count", Published(2000000000, 8), {{"0123456789ABCDEF", 50}},
         "1.0.1", TrustVerdict::Trusted},
        {"first run: no record", Published(2000000000, 1), {}, "1.0.1", TrustVerdict::Trusted},
        {"an older version", Published(2000000000, 8, "1.0.1"), seen, "1.0.2", TrustVerdict::OlderVersion},
        {"an older version by its numbers", Published(2000000000, 8, "1.0.9"), seen, "1.0.10",
         TrustVerdict::OlderVersion},
        {"no installed version", Published(2000000000, 8, "0.1"), seen, std::nullopt, TrustVerdict::Trusted},
    };
    for (const Case& c : cases) {
        updater::TrustCheck check = updater::CheckTrust(c.document, key, c.record, c.installed, now);
        EXPECT_EQ(check.verdict, c.verdict) << c.what;
        std::string message = updater::DescribeTrustCheck(check, c.document, c.installed);
        EXPECT_EQ(message.empty(), c.verdict == TrustVerdict::Trusted) << c.what;
        if (c.verdict == TrustVerdict::Replayed) {
            EXPECT_NE(message.find("6"), std::string::npos) << message;
            EXPECT_NE(message.find("7"), std::string::npos) << message;
        }
    }
}

// A missing or damaged record counts as empty: whoever can damage the file
// can delete it, so refusing would protect nothing and leave the player
// without updates; it is written whole again after the next verified document.
TEST(SequenceRecord, ReadsBackWhatWasWrittenAndNothingElse) {
    updater::SequenceRecord record = {{"53574605B5BAE68E", 12}, {"0123456789ABCDEF", 18446744073709551615u}};
    std::string text = updater::SerializeSequenceRecord(record);
    EXPECT_EQ(updater::ParseSequenceRecord(text), record);
    EXPECT_EQ(updater::ParseSequenceRecord("tovrin-sequence 1\n"), updater::SequenceRecord());
    for (size_t length = 0; length + 1 < text.size(); ++length) {
        std::optional<updater::SequenceRecord> cut = updater::ParseSequenceRecord(text.substr(0, length));
        // A cut at a line end is a shorter record; anywhere else it is damaged.
        if (cut) {
            EXPECT_EQ(text[length - 1], '\n') << length;
        }
    }
    for (const std::string& damaged : {
             std::string("tovrin-sequence 2\n"),
             std::string("tovrin-sequence 1\n53574605b5bae68e 12\n"),
             std::string("tovrin-sequence 1\n53574605B5BAE68E 012\n"),
             std::string("tovrin-sequence 1\n53574605B5BAE68E 18446744073709551616\n"),
             std::string("tovrin-sequence 1\n53574605B5BAE68E 1\n53574605B5BAE68E 2\n"),
             std::string("tovrin-sequence 1\n53574605B5BAE68E\t12\n"),
             std::string(100000, '\n'),
         })
        EXPECT_FALSE(updater::ParseSequenceRecord(damaged).has_value()) << damaged.substr(0, 60);
}

}  // namespace
