// Test data for chunking: reproducible pseudo-random bytes, a string read as
// a stream, and a file's chunks as (offset, size) pairs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "update_format/chunk_index.h"
#include "update_format/content_chunker.h"

namespace updater::testing {

// `size` bytes from a fixed generator: the same seed gives the same bytes.
std::string RandomBytes(size_t size, uint64_t seed);

// Reads `bytes` in pieces of at most `piece` bytes, as a file would be read.
StreamReader ReaderOf(const std::string& bytes, size_t piece = 1 << 20);

std::vector<std::pair<uint64_t, uint64_t>> Cuts(const std::string& bytes,
                                                const ChunkerParams& params = kPublishedChunking);

// The index the publish tool would write for these bytes.
ChunkIndex IndexOf(const std::string& bytes, const ChunkerParams& params = kPublishedChunking);

}  // namespace updater::testing
