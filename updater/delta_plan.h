// Assembling a new file from its chunk index: which places (chunks) are
// already right in the staging file, which local chunk fills which places,
// what is left to fetch (neighbouring missing chunks joined into one range,
// and content that repeats fetched once), and the fetched bytes verified
// chunk by chunk before any of them is written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "update_format/chunk_index.h"

namespace updater {

struct FetchRange {
    uint64_t offset = 0;
    uint64_t length = 0;
    size_t firstChunk = 0;
    size_t endChunk = 0;  // one past the last chunk of the range
};

class DeltaPlan {
public:
    explicit DeltaPlan(ChunkIndex index);

    const ChunkIndex& Index() const { return index_; }
    bool Present(size_t chunk) const { return present_[chunk]; }
    void MarkPresent(size_t chunk);
    size_t MissingCount() const { return missing_; }

    // The missing places whose content has this hash and size.
    std::vector<size_t> MissingWith(const ChunkHash& hash, size_t size) const;
    // Every place whose content has this hash, present or not.
    std::vector<size_t> PlacesOf(const ChunkHash& hash) const;

    // What is left to fetch, in file order.
    std::vector<FetchRange> Ranges() const;
    static uint64_t Bytes(const std::vector<FetchRange>& ranges);

private:
    ChunkIndex index_;
    std::vector<uint32_t> byHash_;  // chunk numbers ordered by (hash, number)
    std::vector<bool> present_;
    size_t missing_ = 0;
};

// "bytes=0-99,200-299" for a Range header.
std::string RangeHeaderValue(const std::vector<FetchRange>& ranges);

// Takes fetched bytes, verifies each chunk once it is whole and writes it to
// every missing place of its content. Memory: one chunk.
class ChunkReceiver {
public:
    using Writer = std::function<bool(uint64_t offset, const unsigned char* data, size_t size)>;
    enum class Status { Ok, NotAtChunkStart, Corrupt, WriteFailed };

    ChunkReceiver(DeltaPlan& plan, Writer writer) : plan_(plan), writer_(std::move(writer)) {}

    // Bytes of the file from `offset`: a chunk's start, or where the bytes
    // before ended. A chunk left unfinished by a jump elsewhere is dropped.
    Status Receive(uint64_t offset, const unsigned char* data, size_t size);
    size_t CorruptChunk() const { return corrupt_; }  // the chunk that failed its hash

private:
    Status Complete();

    DeltaPlan& plan_;
    Writer writer_;
    std::vector<unsigned char> pending_;
    size_t chunk_ = 0;           // the chunk `pending_` belongs to
    uint64_t next_ = UINT64_MAX;  // the offset the next bytes continue at
    size_t corrupt_ = 0;
};

}  // namespace updater
