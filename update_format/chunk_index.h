// A published file's chunk index, a file of its own beside it
// ("<file>.chunks"), named in the signed update document by its size and
// SHA-256. Little-endian binary:
//
//   "LUMACHNK"  u32 format (1)  u32 smallest  u32 average  u32 largest
//   u64 file size  u32 chunk count
//   per chunk:  u32 size  32 bytes BLAKE2b-256 of its bytes
//
// Offsets follow from the sizes (each chunk starts where the one before ends),
// so an index cannot describe overlapping chunks or gaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update_format/content_chunker.h"

namespace updater {

struct ChunkIndex {
    ChunkerParams params;
    uint64_t fileSize = 0;
    std::vector<uint64_t> offsets;  // one per chunk, and the file size after the last
    std::vector<ChunkHash> hashes;

    size_t Count() const { return hashes.size(); }
    uint64_t Offset(size_t chunk) const { return offsets[chunk]; }
    uint32_t Size(size_t chunk) const { return static_cast<uint32_t>(offsets[chunk + 1] - offsets[chunk]); }
};

// Caps that keep an index of any listed file small in memory: a 2 GiB file
// cut at the published parameters has at most 131,073 chunks (5 MB here).
constexpr size_t kMostChunks = size_t(1) << 20;
constexpr size_t kIndexHeaderSize = 36;
constexpr size_t kIndexEntrySize = 36;
constexpr uint64_t kLargestIndex = kIndexHeaderSize + uint64_t(kMostChunks) * kIndexEntrySize;
// Smaller files are published without an index: a delta could save little there.
constexpr uint64_t kSmallestIndexedFile = 256 * 1024;
// The index's name beside its file.
constexpr std::string_view kIndexSuffix = ".chunks";

enum class IndexStatus {
    Ok,
    WrongSize,       // not the size the document names
    WrongHash,       // not the SHA-256 the document names
    NotAnIndex,      // another magic or format, or cut off
    BadParameters,   // a chunker the updater does not support
    WrongFileSize,   // for another size of file than the document lists
    TooManyChunks,
    BadChunkSize,    // zero, above the largest, or below the smallest before the last chunk
    PastTheEnd,      // the sizes run past the file's end
    ShortOfTheEnd,   // the sizes end before the file does
    TrailingBytes,   // bytes after the last entry
};

// The bytes of an index are trusted only once they match the document's size
// and SHA-256 ...
IndexStatus CheckIndexBytes(std::string_view bytes, uint64_t listedIndexSize, std::string_view listedIndexSha256);
// ... and even then every field is bound-checked against the listed file.
IndexStatus ParseChunkIndex(std::string_view bytes, uint64_t listedFileSize, ChunkIndex* index);

// The index's bytes.
std::string WriteChunkIndex(const ChunkIndex& index);

// Collects the index of a stream as it is cut (the publish tool's side).
class ChunkIndexBuilder {
public:
    explicit ChunkIndexBuilder(const ChunkerParams& params = kPublishedChunking);
    void Add(const unsigned char* data, size_t size);
    const ChunkIndex& Index() const { return index_; }

private:
    ChunkIndex index_;
};

// SHA-256 (lower-case hex) of bytes in memory, for the small files the document names.
std::string Sha256Hex(std::string_view bytes);

}  // namespace updater
