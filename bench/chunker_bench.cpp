// The chunker: cutting (and cutting plus naming every chunk by its hash, as
// the publish tool and the updater do) against a plain SHA-256 pass over the
// same 256 MiB in the same run (the pass every published or downloaded file
// gets anyway; goal >= 0.8x). Then what the average chunk size costs: index
// bytes and bytes to fetch for a 1 MiB overwrite and for 30% changed in
// scattered 4 KiB pieces, at averages around the one published.
#include <openssl/evp.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "update_format/content_chunker.h"

namespace {

using updater::ChunkerParams;
using Bytes = std::vector<unsigned char>;

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

template <typename Work>
double Fastest(Work work, int rounds = 3) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        double start = ThreadSeconds();
        work();
        best = std::min(best, ThreadSeconds() - start);
    }
    return best;
}

Bytes Random(size_t size, unsigned seed) {
    std::mt19937_64 rng(seed);
    Bytes bytes(size);
    for (size_t i = 0; i + 8 <= size; i += 8) {
        uint64_t word = rng();
        std::memcpy(&bytes[i], &word, 8);
    }
    return bytes;
}

template <typename Visit>
void Cut(const Bytes& data, const ChunkerParams& params, Visit visit) {
    for (size_t at = 0; at < data.size();) {
        size_t length = updater::FindCut(&data[at], data.size() - at, params);
        visit(&data[at], length);
        at += length;
    }
}

// Bytes of `now` in chunks that `before` does not have, and the chunk count of `now`.
std::pair<uint64_t, size_t> ToFetch(const Bytes& before, const Bytes& now, const ChunkerParams& params) {
    std::set<updater::ChunkHash> have;
    Cut(before, params, [&](const unsigned char* d, size_t n) { have.insert(updater::HashChunk(d, n)); });
    uint64_t missing = 0;
    size_t chunks = 0;
    Cut(now, params, [&](const unsigned char* d, size_t n) {
        ++chunks;
        if (!have.count(updater::HashChunk(d, n))) missing += n;
    });
    return {missing, chunks};
}

}  // namespace

int main() {
    constexpr size_t kMiB = 1024 * 1024;
    const Bytes data = Random(256 * kMiB, 1);
    const double mib = data.size() / double(kMiB);

    unsigned char digest[32];
    double sha = Fastest([&] {
        unsigned int length = 0;
        EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr);
    });
    size_t chunks = 0;
    double cut = Fastest([&] {
        chunks = 0;
        Cut(data, updater::kPublishedChunking, [&](const unsigned char*, size_t) { ++chunks; });
    });
    double named = Fastest([&] {
        Cut(data, updater::kPublishedChunking, [&](const unsigned char* d, size_t n) { updater::HashChunk(d, n); });
    });
    std::printf("SHA-256 (anchor)          %8.0f MiB/s\n", mib / sha);
    std::printf("cutting                   %8.0f MiB/s  %.2fx SHA-256  (%zu chunks, mean %.1f KiB)\n", mib / cut,
                sha / cut, chunks, data.size() / 1024.0 / chunks);
    std::printf("cutting + chunk hashes    %8.0f MiB/s  %.2fx SHA-256\n", mib / named, sha / named);

    Bytes overwritten = data;
    const Bytes piece = Random(kMiB, 2);
    std::copy(piece.begin(), piece.end(), overwritten.begin() + 128 * kMiB);
    const Bytes small(data.begin(), data.begin() + 64 * kMiB);
    Bytes scattered = small;
    std::mt19937_64 rng(3);
    const Bytes junk = Random(4096, 4);
    for (size_t i = 0; i < scattered.size() * 3 / 10 / 4096; ++i) {
        size_t at = rng() % (scattered.size() - 4096);
        std::copy(junk.begin(), junk.end(), scattered.begin() + at);
    }
    std::printf("\n%-8s %12s %14s %14s   (index: 36 bytes a chunk)\n", "average", "index 256M", "fetch 1M over",
                "fetch 30% 4K");
    for (uint32_t average : {16u * 1024, 32u * 1024, 64u * 1024, 128u * 1024}) {
        ChunkerParams params{average / 4, average, average * 4};
        auto [over, overChunks] = ToFetch(data, overwritten, params);
        auto [spread, spreadChunks] = ToFetch(small, scattered, params);
        std::printf("%5u KiB %12zu %14llu %14llu%s\n", average / 1024, overChunks * 36,
                    static_cast<unsigned long long>(over + overChunks * 36),
                    static_cast<unsigned long long>(spread + spreadChunks * 36),
                    average == updater::kPublishedChunking.average ? "   <- published" : "");
    }
    return 0;
}
