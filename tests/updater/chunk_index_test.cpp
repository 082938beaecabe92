// Chunk indexes: what the publish tool writes reads back, and an index is
// trusted only once its size and SHA-256 match the document; even then a
// field that is out of bounds refuses it before anything is allocated for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/chunk_data.h"
#include "update_format/chunk_index.h"

namespace {

using updater::ChunkIndex;
using updater::IndexStatus;

void Put(std::string* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
}

// An index written field by field, so that each can be wrong.
std::string IndexBytes(const std::vector<uint64_t>& sizes, uint64_t fileSize, uint64_t count,
                       uint32_t average = 65536, std::string magic = "LUMACHNK", uint32_t format = 1) {
    std::string out = magic;
    Put(&out, format, 4);
    Put(&out, 16384, 4);
    Put(&out, average, 4);
    Put(&out, 262144, 4);
    Put(&out, fileSize, 8);
    Put(&out, count, 4);
    for (uint64_t size : sizes) {
        Put(&out, size, 4);
        out += std::string(32, static_cast<char>(size));
    }
    return out;
}

TEST(ChunkIndex, WhatThePublishToolWritesReadsBack) {
    const std::string file = updater::testing::RandomBytes(3 << 20, 7);
    const ChunkIndex written = updater::testing::IndexOf(file);
    const std::string bytes = updater::WriteChunkIndex(written);
    EXPECT_EQ(bytes.size(), updater::kIndexHeaderSize + written.Count() * updater::kIndexEntrySize);
    const std::string hash = updater::Sha256Hex(bytes);
    EXPECT_EQ(updater::CheckIndexBytes(bytes, bytes.size(), hash), IndexStatus::Ok);
    EXPECT_EQ(updater::CheckIndexBytes(bytes, bytes.size() + 1, hash), IndexStatus::WrongSize);
    EXPECT_EQ(updater::CheckIndexBytes(bytes, bytes.size(), std::string(64, '0')), IndexStatus::WrongHash);
    ChunkIndex read;
    ASSERT_EQ(updater::ParseChunkIndex(bytes, file.size(), &read), IndexStatus::Ok);
    EXPECT_EQ(read.offsets, written.offsets);
    EXPECT_EQ(read.hashes, written.hashes);
    EXPECT_EQ(read.params.average, updater::kPublishedChunking.average);
    // An empty file has no chunks.
    EXPECT_EQ(updater::ParseChunkIndex(IndexBytes({}, 0, 0), 0, &read), IndexStatus::Ok);
}

TEST(ChunkIndex, EveryHostileFieldIsRefused) {
    const uint64_t big = 1ULL << 40;
    struct Case {
        const char* what;
        std::string bytes;
        uint64_t fileSize;
        IndexStatus status;
    } cases[] = {
        {"another magic", IndexBytes({20000}, 20000, 1, 65536, "LUMACHNX"), 20000, IndexStatus::NotAnIndex},
        {"another format", IndexBytes({20000}, 20000, 1, 65536, "LUMACHNK", 2), 20000, IndexStatus::NotAnIndex},
        {"cut off in the header", IndexBytes({}, 0, 0).substr(0, 35), 0, IndexStatus::NotAnIndex},
        {"cut off in an entry", IndexBytes({20000, 20000}, 40000, 2).substr(0, 36 + 50), 40000,
         IndexStatus::NotAnIndex},
        {"an average that is not a power of two", IndexBytes({20000}, 20000, 1, 50000), 20000,
         IndexStatus::BadParameters},
        {"for another size of file", IndexBytes({20000}, 20000, 1), 20001, IndexStatus::WrongFileSize},
        {"more chunks than the cap", IndexBytes({}, big, 1 << 21), big, IndexStatus::TooManyChunks},
        {"more chunks than the file could have", IndexBytes({}, 40000, 4), 40000, IndexStatus::TooManyChunks},
        {"a count beyond its entries", IndexBytes({20000}, 40000, 2), 40000, IndexStatus::NotAnIndex},
        {"entries beyond its count", IndexBytes({20000, 20000}, 40000, 1), 40000, IndexStatus::TrailingBytes},
        {"a byte after the last entry", IndexBytes({20000}, 20000, 1) + "x", 20000, IndexStatus::TrailingBytes},
        {"a chunk of no bytes", IndexBytes({20000, 0}, 20000, 2), 20000, IndexStatus::BadChunkSize},
        {"a chunk above the largest", IndexBytes({300000}, 300000, 1), 300000, IndexStatus::BadChunkSize},
        {"a chunk below the smallest before the last", IndexBytes({100, 20000}, 20100, 2), 20100,
         IndexStatus::BadChunkSize},
        {"sizes past the file", IndexBytes({20000, 20000}, 30000, 2), 30000, IndexStatus::PastTheEnd},
        {"sizes 2^32-1 past the file", IndexBytes({20000, 0xFFFFFFFF}, 40000, 2), 40000, IndexStatus::BadChunkSize},
        {"sizes short of the file", IndexBytes({20000, 20000}, 50000, 2), 50000, IndexStatus::ShortOfTheEnd},
    };
    for (const Case& c : cases) {
        ChunkIndex index;
        EXPECT_EQ(updater::ParseChunkIndex(c.bytes, c.fileSize, &index), c.status) << c.what;
        EXPECT_EQ(index.Count(), 0u) << c.what;
    }
}

}  // namespace
