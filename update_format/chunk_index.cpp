#include "update_format/chunk_index.h"

#include <sodium.h>

#include <cstring>

#include "common/hex.h"

namespace updater {
namespace {

constexpr char kMagic[8] = {'L', 'U', 'M', 'A', 'C', 'H', 'N', 'K'};
constexpr uint32_t kFormat = 1;

uint64_t ReadLittle(const unsigned char* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

void AppendLittle(std::string* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return common::HexEncode(digest);
}

IndexStatus CheckIndexBytes(std::string_view bytes, uint64_t listedIndexSize, std::string_view listedIndexSha256) {
    if (bytes.size() != listedIndexSize) return IndexStatus::WrongSize;
    if (Sha256Hex(bytes) != listedIndexSha256) return IndexStatus::WrongHash;
    return IndexStatus::Ok;
}

IndexStatus ParseChunkIndex(std::string_view bytes, uint64_t listedFileSize, ChunkIndex* result) {
    *result = ChunkIndex();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < kIndexHeaderSize || std::memcmp(data, kMagic, sizeof kMagic) != 0 ||
        ReadLittle(data + 8, 4) != kFormat)
        return IndexStatus::NotAnIndex;
    ChunkIndex index;
    index.params.smallest = static_cast<uint32_t>(ReadLittle(data + 12, 4));
    index.params.average = static_cast<uint32_t>(ReadLittle(data + 16, 4));
    index.params.largest = static_cast<uint32_t>(ReadLittle(data + 20, 4));
    if (!ParamsUsable(index.params)) return IndexStatus::BadParameters;
    index.fileSize = ReadLittle(data + 24, 8);
    if (index.fileSize != listedFileSize) return IndexStatus::WrongFileSize;
    const uint64_t count = ReadLittle(data + 32, 4);
    if (count > kMostChunks || count > index.fileSize / index.params.smallest + 1) return IndexStatus::TooManyChunks;
    const uint64_t entries = (bytes.size() - kIndexHeaderSize) / kIndexEntrySize;
    if (entries < count) return IndexStatus::NotAnIndex;
    if (entries > count || (bytes.size() - kIndexHeaderSize) % kIndexEntrySize != 0) return IndexStatus::TrailingBytes;

    index.offsets.reserve(count + 1);
    index.hashes.resize(count);
    uint64_t offset = 0;
    for (size_t chunk = 0; chunk < count; ++chunk) {
        const unsigned char* entry = data + kIndexHeaderSize + chunk * kIndexEntrySize;
        const uint64_t size = ReadLittle(entry, 4);
        const bool last = chunk + 1 == count;
        if (size == 0 || size > index.params.largest || (!last && size < index.params.smallest))
            return IndexStatus::BadChunkSize;
        if (size > index.fileSize - offset) return IndexStatus::PastTheEnd;
        index.offsets.push_back(offset);
        offset += size;
        std::memcpy(index.hashes[chunk].data(), entry + 4, index.hashes[chunk].size());
    }
    if (offset != index.fileSize) return IndexStatus::ShortOfTheEnd;
    index.offsets.push_back(offset);
    *result = std::move(index);
    return IndexStatus::Ok;
}

std::string WriteChunkIndex(const ChunkIndex& index) {
    std::string out(kMagic, sizeof kMagic);
    AppendLittle(&out, kFormat, 4);
    AppendLittle(&out, index.params.smallest, 4);
    AppendLittle(&out, index.params.average, 4);
    AppendLittle(&out, index.params.largest, 4);
    AppendLittle(&out, index.fileSize, 8);
    AppendLittle(&out, index.Count(), 4);
    for (size_t chunk = 0; chunk < index.Count(); ++chunk) {
        AppendLittle(&out, index.Size(chunk), 4);
        out.append(reinterpret_cast<const char*>(index.hashes[chunk].data()), index.hashes[chunk].size());
    }
    return out;
}

ChunkIndexBuilder::ChunkIndexBuilder(const ChunkerParams& params) {
    index_.params = params;
    index_.offsets.push_back(0);
}

void ChunkIndexBuilder::Add(const unsigned char* data, size_t size) {
    index_.hashes.push_back(HashChunk(data, size));
    index_.fileSize += size;
    index_.offsets.push_back(index_.fileSize);
}

}  // namespace updater
