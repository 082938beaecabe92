// Planning a delta: local chunks found wherever they lie, what is left
// fetched as few ranges as neighbours allow and repeated content once, and
// fetched bytes written only chunk by chunk once each matches its hash.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/chunk_data.h"
#include "updater/delta_plan.h"
#include "updater/local_chunks.h"

namespace {

using updater::ChunkReceiver;
using updater::DeltaPlan;
using updater::FetchRange;
using updater::ScanStatus;
using updater::testing::IndexOf;
using updater::testing::RandomBytes;
using updater::testing::ReaderOf;

// A staging file in memory.
struct Staging {
    explicit Staging(size_t size) : bytes(size, '\0') {}
    ChunkReceiver::Writer Writer() {
        return [this](uint64_t offset, const unsigned char* data, size_t size) {
            std::memcpy(bytes.data() + offset, data, size);
            writes += size;
            return true;
        };
    }
    std::string bytes;
    uint64_t writes = 0;
};

// Receives every planned range from `file` the way the server sends it, in `piece`-byte reads.
void FetchInto(DeltaPlan& plan, const std::string& file, Staging& staging, size_t piece = 5000) {
    ChunkReceiver receiver(plan, staging.Writer());
    for (const FetchRange& range : plan.Ranges()) {
        for (uint64_t at = range.offset; at < range.offset + range.length; at += piece) {
            size_t size = std::min<uint64_t>(piece, range.offset + range.length - at);
            ASSERT_EQ(receiver.Receive(at, reinterpret_cast<const unsigned char*>(file.data()) + at, size),
                      ChunkReceiver::Status::Ok);
        }
    }
}

TEST(DeltaPlan, LocalChunksFillTheirPlacesAndOnlyTheChangeIsFetched) {
    const std::string old = RandomBytes(6 << 20, 11);
    struct Case {
        const char* what;
        std::string file;
        uint64_t mostFetched;
    } cases[] = {
        {"256 KiB overwritten", old.substr(0, 2 << 20) + RandomBytes(256 << 10, 12) + old.substr((2 << 20) + (256 << 10)),
         (256 << 10) + 2 * 256 * 1024},
        {"the old file moved 1 MiB on", RandomBytes(1 << 20, 13) + old, (1 << 20) + 256 * 1024},
        {"unchanged", old, 0},
        {"nothing in common", RandomBytes(1 << 20, 14), 1 << 20},
    };
    for (const Case& c : cases) {
        DeltaPlan plan(IndexOf(c.file));
        Staging staging(c.file.size());
        ASSERT_EQ(updater::FillFromLocal(plan, ReaderOf(old), staging.Writer(), nullptr), ScanStatus::Done) << c.what;
        const uint64_t toFetch = DeltaPlan::Bytes(plan.Ranges());
        EXPECT_LE(toFetch, c.mostFetched) << c.what;
        EXPECT_EQ(staging.writes, c.file.size() - toFetch) << c.what;
        FetchInto(plan, c.file, staging);
        EXPECT_EQ(plan.MissingCount(), 0u) << c.what;
        EXPECT_TRUE(staging.bytes == c.file) << c.what;
    }
}

TEST(DeltaPlan, NeighboursJoinIntoOneRangeAndRepeatedContentIsFetchedOnce) {
    // Chunks: A B A C (A repeats); B present.
    const std::string a = RandomBytes(20000, 1), b = RandomBytes(30000, 2), c = RandomBytes(40000, 3);
    updater::ChunkIndexBuilder builder;
    for (const std::string* chunk : {&a, &b, &a, &c})
        builder.Add(reinterpret_cast<const unsigned char*>(chunk->data()), chunk->size());
    DeltaPlan plan(builder.Index());
    plan.MarkPresent(1);
    std::vector<FetchRange> ranges = plan.Ranges();
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].offset, 0u);
    EXPECT_EQ(ranges[0].length, 20000u);
    EXPECT_EQ(ranges[1].offset, 70000u);  // C only: the second A comes with the first
    EXPECT_EQ(ranges[1].length, 40000u);
    EXPECT_EQ(updater::RangeHeaderValue(ranges), "bytes=0-19999,70000-109999");

    const std::string file = a + b + a + c;
    Staging staging(file.size());
    FetchInto(plan, file, staging, 7000);
    EXPECT_EQ(plan.MissingCount(), 0u);
    EXPECT_EQ(staging.bytes.substr(50000, 20000), a);
    plan.MarkPresent(0);
    EXPECT_TRUE(plan.Ranges().empty());

    // A (signed, yet odd) index that pairs one hash with two sizes: each size is fetched.
    updater::ChunkIndex odd = plan.Index();
    odd.offsets = {0, 20000, 50000, 70000, 110000};
    odd.hashes[1] = odd.hashes[0];
    DeltaPlan twoSizes(odd);
    EXPECT_EQ(updater::RangeHeaderValue(twoSizes.Ranges()), "bytes=0-49999,70000-109999");
}

TEST(DeltaPlan, AFetchedChunkThatFailsItsHashIsNeverWritten) {
    const std::string file = RandomBytes(2 << 20, 21);
    DeltaPlan plan(IndexOf(file));
    ASSERT_GE(plan.Index().Count(), 3u);
    Staging staging(file.size());
    ChunkReceiver receiver(plan, staging.Writer());
    std::string bad = file;
    const uint64_t second = plan.Index().Offset(1);
    bad[second + 5] ^= 1;
    auto at = [&](const std::string& bytes, uint64_t offset) {
        return reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    };
    EXPECT_EQ(receiver.Receive(0, at(bad, 0), bad.size()), ChunkReceiver::Status::Corrupt);
    EXPECT_EQ(receiver.CorruptChunk(), 1u);
    EXPECT_TRUE(plan.Present(0));
    EXPECT_FALSE(plan.Present(1));
    EXPECT_EQ(staging.writes, second);
    // Not at a chunk's start: refused; then the same chunk fetched again is taken.
    EXPECT_EQ(receiver.Receive(second + 1, at(file, second + 1), 10), ChunkReceiver::Status::NotAtChunkStart);
    EXPECT_EQ(receiver.Receive(second, at(file, second), plan.Index().Size(1)), ChunkReceiver::Status::Ok);
    EXPECT_TRUE(plan.Present(1));
    // Bytes past the file's end are refused.
    EXPECT_EQ(receiver.Receive(file.size(), at(file, 0), 1), ChunkReceiver::Status::NotAtChunkStart);
}

TEST(DeltaPlan, AStagingFileFromAnEarlierRunKeepsWhatIsRightInPlace) {
    const std::string file = RandomBytes(3 << 20, 31);
    DeltaPlan plan(IndexOf(file));
    std::string staged = file;
    const uint64_t cut = plan.Index().Offset(5) + 100;
    std::memset(staged.data() + cut, 0, staged.size() - cut);  // the earlier run stopped inside chunk 5
    ASSERT_EQ(updater::VerifyInPlace(plan, ReaderOf(staged, 65537), nullptr), ScanStatus::Done);
    for (size_t chunk = 0; chunk < plan.Index().Count(); ++chunk) EXPECT_EQ(plan.Present(chunk), chunk < 5) << chunk;
    EXPECT_EQ(plan.Ranges().front().offset, plan.Index().Offset(5));
    // A staging file shorter than the new one: the rest is missing.
    DeltaPlan shorter(IndexOf(file));
    const std::string half = file.substr(0, file.size() / 2);
    ASSERT_EQ(updater::VerifyInPlace(shorter, ReaderOf(half), nullptr), ScanStatus::Done);
    EXPECT_GT(shorter.MissingCount(), 0u);
}

}  // namespace
