// Content-defined chunking: sizes within bounds around the average, the same
// cuts however the stream is read, and cuts that survive insertions and
// deletions everywhere but next to them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/chunk_data.h"
#include "update_format/content_chunker.h"

namespace {

using updater::kPublishedChunking;
using updater::testing::Cuts;
using updater::testing::RandomBytes;

std::set<updater::ChunkHash> HashesOf(const std::string& bytes) {
    std::set<updater::ChunkHash> hashes;
    for (auto [offset, size] : Cuts(bytes))
        hashes.insert(updater::HashChunk(reinterpret_cast<const unsigned char*>(bytes.data()) + offset, size));
    return hashes;
}

TEST(ContentChunker, CutsWithinBoundsAroundTheAverageHoweverTheStreamIsRead) {
    const std::string bytes = RandomBytes(32 << 20, 1);
    auto cuts = Cuts(bytes);
    uint64_t next = 0;
    for (size_t i = 0; i < cuts.size(); ++i) {
        EXPECT_EQ(cuts[i].first, next);
        EXPECT_LE(cuts[i].second, kPublishedChunking.largest);
        if (i + 1 < cuts.size()) {
            EXPECT_GE(cuts[i].second, kPublishedChunking.smallest);
        }
        next += cuts[i].second;
    }
    EXPECT_EQ(next, bytes.size());
    const double mean = static_cast<double>(bytes.size()) / cuts.size();
    EXPECT_GT(mean, 0.8 * kPublishedChunking.average);
    EXPECT_LT(mean, 1.5 * kPublishedChunking.average);

    const std::string some = bytes.substr(0, 3 << 20);
    std::vector<std::pair<uint64_t, uint64_t>> byPieces;
    uint64_t offset = 0;
    updater::CutStream(kPublishedChunking, updater::testing::ReaderOf(some, 4099), [&](const unsigned char*, size_t n) {
        byPieces.emplace_back(offset, n);
        offset += n;
        return true;
    });
    EXPECT_EQ(byPieces, Cuts(some));
}

TEST(ContentChunker, ContentWithoutCutsIsCutAtTheLargestSizeAndSmallFilesAreOneChunk) {
    for (auto [offset, size] : Cuts(std::string(1 << 20, '\0'))) EXPECT_EQ(size, kPublishedChunking.largest) << offset;
    EXPECT_EQ(Cuts(RandomBytes(1000, 2)), (std::vector<std::pair<uint64_t, uint64_t>>{{0, 1000}}));
    EXPECT_TRUE(Cuts("").empty());
    EXPECT_FALSE(updater::ParamsUsable({16 * 1024, 48 * 1024, 256 * 1024}));  // the average not a power of two
    EXPECT_FALSE(updater::ParamsUsable({1024, 4096, 65536}));
    EXPECT_FALSE(updater::ParamsUsable({16384, 65536, 4 << 20}));
    EXPECT_TRUE(updater::ParamsUsable(kPublishedChunking));
}

TEST(ContentChunker, AnEditMovesOnlyTheCutsNextToIt) {
    const std::string old = RandomBytes(8 << 20, 3);
    const std::string insert = RandomBytes(1 << 20, 4);
    struct Case {
        const char* what;
        size_t at;        // where the edit starts
        size_t removed;   // bytes of the old taken out there
        std::string put;  // bytes put in their place
    } cases[] = {
        {"one byte inserted at the start", 0, 0, "x"},
        {"1 MiB inserted in the middle", 3 << 20, 0, insert},
        {"one byte deleted", 5 << 20, 1, ""},
        {"100 KiB deleted at the start", 0, 100 << 10, ""},
        {"64 KiB overwritten", 4 << 20, 64 << 10, insert.substr(0, 64 << 10)},
        {"1 MiB appended", 8 << 20, 0, insert},
        {"the last 10 KiB cut off", (8 << 20) - (10 << 10), 10 << 10, ""},
    };
    const auto oldCuts = Cuts(old);
    const auto oldHashes = HashesOf(old);
    for (const Case& c : cases) {
        const std::string edited = old.substr(0, c.at) + c.put + old.substr(c.at + c.removed);
        const auto cuts = Cuts(edited);
        // Every chunk that ends before the edit is cut alike.
        for (size_t i = 0; i < oldCuts.size() && oldCuts[i].first + oldCuts[i].second < c.at; ++i)
            ASSERT_EQ(cuts.at(i), oldCuts[i]) << c.what;
        uint64_t unknown = 0;
        for (auto [offset, size] : cuts) {
            auto data = reinterpret_cast<const unsigned char*>(edited.data()) + offset;
            if (!oldHashes.count(updater::HashChunk(data, size))) unknown += size;
        }
        EXPECT_LE(unknown, c.put.size() + 2 * kPublishedChunking.largest) << c.what;
    }
}

}  // namespace
