// fuzz-sources: update_format/chunk_index.cpp update_format/content_chunker.cpp updater/delta_plan.cpp
// fuzz-libraries: -lsodium
// fuzz-seeds: tests/data/updates/*.chunks
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>
#include <utility>

#include "update_format/chunk_index.h"
#include "updater/delta_plan.h"

// An index that parses describes chunks that tile the listed file exactly,
// within the chunker's bounds, writes back to the same bytes, and plans
// ranges that stay inside the file. The first 8 bytes (and those of each
// seed) name the listed size, little-endian.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    uint64_t listed = 0;
    for (int i = 0; i < 8; ++i) listed |= uint64_t(data[i]) << (8 * i);
    listed %= uint64_t(1) << 40;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 8, size - 8);
    updater::ChunkIndex index;
    if (updater::ParseChunkIndex(bytes, listed, &index) != updater::IndexStatus::Ok) return 0;
    if (index.fileSize != listed || index.Count() > updater::kMostChunks) std::abort();
    if (index.offsets.size() != index.Count() + 1 || index.offsets.front() != 0 || index.offsets.back() != listed)
        std::abort();
    for (size_t chunk = 0; chunk < index.Count(); ++chunk) {
        if (index.Size(chunk) == 0 || index.Size(chunk) > index.params.largest) std::abort();
        if (index.Offset(chunk + 1) <= index.Offset(chunk)) std::abort();
    }
    if (updater::WriteChunkIndex(index) != bytes) std::abort();
    // Every chunk is fetched, or another of the same hash and size is.
    std::set<std::pair<updater::ChunkHash, uint32_t>> contents;
    for (size_t chunk = 0; chunk < index.Count(); ++chunk) contents.insert({index.hashes[chunk], index.Size(chunk)});
    updater::DeltaPlan plan(index);
    std::set<std::pair<updater::ChunkHash, uint32_t>> fetched;
    for (const updater::FetchRange& range : plan.Ranges()) {
        if (range.length == 0 || range.offset + range.length > listed) std::abort();
        for (size_t chunk = range.firstChunk; chunk < range.endChunk; ++chunk) {
            if (!fetched.insert({index.hashes[chunk], index.Size(chunk)}).second) std::abort();
        }
    }
    if (fetched != contents) std::abort();
    return 0;
}
