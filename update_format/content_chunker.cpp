#include "update_format/content_chunker.h"

#include <sodium.h>

#include <cstring>
#include <vector>

namespace updater {
namespace {

// 256 fixed pseudo-random words (splitmix64 from a fixed seed): part of the
// index format, since the publish tool and every updater must cut alike.
constexpr std::array<uint64_t, 256> MakeGearTable() {
    std::array<uint64_t, 256> table{};
    uint64_t state = 0x4C756D616472656CULL;
    for (uint64_t& word : table) {
        state += 0x9E3779B97F4A7C15ULL;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        word = z ^ (z >> 31);
    }
    return table;
}
constexpr std::array<uint64_t, 256> kGear = MakeGearTable();

int Log2(uint32_t value) {
    int bits = 0;
    while (value > 1) {
        value >>= 1;
        ++bits;
    }
    return bits;
}

// The top `bits` bits: they depend on all of the last 64 bytes.
uint64_t TopBits(int bits) { return bits <= 0 ? 0 : ~uint64_t(0) << (64 - bits); }

constexpr size_t kStreamBuffer = 4 << 20;

}  // namespace

bool ParamsUsable(const ChunkerParams& params) {
    const uint32_t average = params.average;
    return params.smallest >= kSmallestChunkFloor && params.smallest <= average && average <= params.largest &&
           params.largest <= kLargestChunkCeiling && (average & (average - 1)) == 0;
}

size_t FindCut(const unsigned char* data, size_t available, const ChunkerParams& params) {
    if (available <= params.smallest) return available;
    const size_t limit = available < params.largest ? available : params.largest;
    const size_t normal = limit < params.average ? limit : params.average;
    // Harder to match before the average size and easier after it, so that
    // sizes gather around the average.
    const int bits = Log2(params.average);
    const uint64_t before = TopBits(bits + 1), after = TopBits(bits - 1);
    uint64_t fingerprint = 0;
    size_t i = params.smallest;
    for (; i < normal; ++i) {
        fingerprint = (fingerprint << 1) + kGear[data[i]];
        if ((fingerprint & before) == 0) return i + 1;
    }
    for (; i < limit; ++i) {
        fingerprint = (fingerprint << 1) + kGear[data[i]];
        if ((fingerprint & after) == 0) return i + 1;
    }
    return limit;
}

bool CutStream(const ChunkerParams& params, const StreamReader& read, const ChunkVisitor& onChunk) {
    std::vector<unsigned char> buffer(kStreamBuffer > 2 * params.largest ? kStreamBuffer : 2 * params.largest);
    size_t start = 0, end = 0;
    bool ended = false;
    for (;;) {
        if (!ended && end - start < params.largest) {
            std::memmove(buffer.data(), buffer.data() + start, end - start);
            end -= start;
            start = 0;
            while (!ended && end < buffer.size()) {
                size_t count = 0;
                if (!read(buffer.data() + end, buffer.size() - end, &count)) return false;
                if (count == 0) ended = true;
                end += count;
            }
        }
        if (start == end) return true;
        size_t cut = FindCut(buffer.data() + start, end - start, params);
        if (!onChunk(buffer.data() + start, cut)) return false;
        start += cut;
    }
}

ChunkHash HashChunk(const unsigned char* data, size_t size) {
    // Picks the fastest implementation for this processor, once.
    static const bool ready = sodium_init() >= 0;
    (void)ready;
    ChunkHash hash;
    crypto_generichash(hash.data(), hash.size(), data, size, nullptr, 0);
    return hash;
}

}  // namespace updater
