// Content-defined chunking: a file is cut where a rolling hash of the last 64
// bytes hits a pattern, so an insertion or deletion moves only the cuts
// around it and every chunk further on keeps its bytes. The publish tool and
// the updater cut with the same table and parameters (named in each chunk
// index), so equal content gives equal chunks on both sides.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace updater {

struct ChunkerParams {
    uint32_t smallest = 16 * 1024;  // no cut before this many bytes (but the file's last chunk)
    uint32_t average = 64 * 1024;   // a power of two: the size the cut pattern aims at
    uint32_t largest = 256 * 1024;  // a cut is forced here
};

// The parameters every index the publish tool writes uses (bench/chunker_bench
// measures the choice).
constexpr ChunkerParams kPublishedChunking{};

// Bounds on parameters an index may name: the updater holds one chunk in memory.
constexpr uint32_t kSmallestChunkFloor = 4 * 1024;
constexpr uint32_t kLargestChunkCeiling = 1024 * 1024;
bool ParamsUsable(const ChunkerParams& params);

// The length of the chunk that starts at `data`: `available` bytes follow, and
// either at least `params.largest` of them or all that the file has left.
size_t FindCut(const unsigned char* data, size_t available, const ChunkerParams& params);

// Reads a stream and cuts it: `read` fills up to `room` bytes at `into` and
// gives the count (0 at the end), or false when reading failed; `onChunk`
// sees every chunk in order. False when either stopped it.
using StreamReader = std::function<bool(unsigned char* into, size_t room, size_t* count)>;
using ChunkVisitor = std::function<bool(const unsigned char* data, size_t size)>;
bool CutStream(const ChunkerParams& params, const StreamReader& read, const ChunkVisitor& onChunk);

// Chunks are named by BLAKE2b-256 of their bytes.
using ChunkHash = std::array<unsigned char, 32>;
ChunkHash HashChunk(const unsigned char* data, size_t size);

}  // namespace updater
