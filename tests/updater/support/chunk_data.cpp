#include "support/chunk_data.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace updater::testing {

std::string RandomBytes(size_t size, uint64_t seed) {
    std::string bytes(size, '\0');
    uint64_t state = seed * 0x9E3779B97F4A7C15ULL + 1;
    for (size_t i = 0; i < size; i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(bytes.data() + i, &state, std::min<size_t>(8, size - i));
    }
    return bytes;
}

StreamReader ReaderOf(const std::string& bytes, size_t piece) {
    auto at = std::make_shared<size_t>(0);
    return [&bytes, piece, at](unsigned char* into, size_t room, size_t* count) {
        *count = std::min({room, piece, bytes.size() - *at});
        std::memcpy(into, bytes.data() + *at, *count);
        *at += *count;
        return true;
    };
}

std::vector<std::pair<uint64_t, uint64_t>> Cuts(const std::string& bytes, const ChunkerParams& params) {
    std::vector<std::pair<uint64_t, uint64_t>> cuts;
    uint64_t offset = 0;
    CutStream(params, ReaderOf(bytes, 300007), [&](const unsigned char*, size_t size) {
        cuts.emplace_back(offset, size);
        offset += size;
        return true;
    });
    return cuts;
}

ChunkIndex IndexOf(const std::string& bytes, const ChunkerParams& params) {
    ChunkIndexBuilder builder(params);
    CutStream(params, ReaderOf(bytes), [&](const unsigned char* data, size_t size) {
        builder.Add(data, size);
        return true;
    });
    return builder.Index();
}

}  // namespace updater::testing
