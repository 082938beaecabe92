#include "updater/delta_plan.h"

#include <algorithm>

namespace updater {

DeltaPlan::DeltaPlan(ChunkIndex index) : index_(std::move(index)) {
    const size_t count = index_.Count();
    byHash_.resize(count);
    for (size_t chunk = 0; chunk < count; ++chunk) byHash_[chunk] = static_cast<uint32_t>(chunk);
    std::sort(byHash_.begin(), byHash_.end(), [this](uint32_t a, uint32_t b) {
        return index_.hashes[a] != index_.hashes[b] ? index_.hashes[a] < index_.hashes[b] : a < b;
    });
    present_.assign(count, false);
    missing_ = count;
}

void DeltaPlan::MarkPresent(size_t chunk) {
    if (present_[chunk]) return;
    present_[chunk] = true;
    --missing_;
}

std::vector<size_t> DeltaPlan::PlacesOf(const ChunkHash& hash) const {
    auto first = std::lower_bound(byHash_.begin(), byHash_.end(), hash,
                                  [this](uint32_t chunk, const ChunkHash& key) { return index_.hashes[chunk] < key; });
    std::vector<size_t> places;
    for (auto it = first; it != byHash_.end() && index_.hashes[*it] == hash; ++it) places.push_back(*it);
    return places;
}

std::vector<size_t> DeltaPlan::MissingWith(const ChunkHash& hash, size_t size) const {
    std::vector<size_t> places;
    for (size_t chunk : PlacesOf(hash)) {
        if (!present_[chunk] && index_.Size(chunk) == size) places.push_back(chunk);
    }
    return places;
}

std::vector<FetchRange> DeltaPlan::Ranges() const {
    // Of the missing places of one content (hash and size: an index may pair one hash with two
    // sizes) only the first is fetched.
    std::vector<bool> fetch(index_.Count(), false);
    std::vector<uint32_t> chosen;
    for (size_t i = 0; i < byHash_.size();) {
        size_t end = i;
        chosen.clear();
        while (end < byHash_.size() && index_.hashes[byHash_[end]] == index_.hashes[byHash_[i]]) {
            const uint32_t size = index_.Size(byHash_[end]);
            if (!present_[byHash_[end]] && std::find(chosen.begin(), chosen.end(), size) == chosen.end()) {
                fetch[byHash_[end]] = true;
                chosen.push_back(size);
            }
            ++end;
        }
        i = end;
    }
    std::vector<FetchRange> ranges;
    for (size_t chunk = 0; chunk < fetch.size(); ++chunk) {
        if (!fetch[chunk]) continue;
        if (!ranges.empty() && ranges.back().endChunk == chunk) {
            ranges.back().endChunk = chunk + 1;
            ranges.back().length += index_.Size(chunk);
        } else {
            ranges.push_back({index_.Offset(chunk), index_.Size(chunk), chunk, chunk + 1});
        }
    }
    return ranges;
}

uint64_t DeltaPlan::Bytes(const std::vector<FetchRange>& ranges) {
    uint64_t bytes = 0;
    for (const FetchRange& range : ranges) bytes += range.length;
    return bytes;
}

std::string RangeHeaderValue(const std::vector<FetchRange>& ranges) {
    std::string value = "bytes=";
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (i > 0) value += ',';
        value += std::to_string(ranges[i].offset) + "-" + std::to_string(ranges[i].offset + ranges[i].length - 1);
    }
    return value;
}

ChunkReceiver::Status ChunkReceiver::Receive(uint64_t offset, const unsigned char* data, size_t size) {
    const ChunkIndex& index = plan_.Index();
    if (offset != next_) {
        pending_.clear();
        auto found = std::lower_bound(index.offsets.begin(), index.offsets.end() - 1, offset);
        if (found == index.offsets.end() - 1 || *found != offset) return Status::NotAtChunkStart;
        chunk_ = static_cast<size_t>(found - index.offsets.begin());
        next_ = offset;
    }
    while (size > 0) {
        if (chunk_ >= index.Count()) return Status::NotAtChunkStart;  // past the file's end
        size_t room = index.Size(chunk_) - pending_.size();
        size_t take = size < room ? size : room;
        pending_.insert(pending_.end(), data, data + take);
        data += take;
        size -= take;
        next_ += take;
        if (pending_.size() == index.Size(chunk_)) {
            if (Status status = Complete(); status != Status::Ok) {
                next_ = UINT64_MAX;
                return status;
            }
        }
    }
    return Status::Ok;
}

ChunkReceiver::Status ChunkReceiver::Complete() {
    const ChunkHash hash = HashChunk(pending_.data(), pending_.size());
    if (hash != plan_.Index().hashes[chunk_]) {
        corrupt_ = chunk_;
        pending_.clear();
        return Status::Corrupt;
    }
    for (size_t place : plan_.MissingWith(hash, pending_.size())) {
        if (!writer_(plan_.Index().Offset(place), pending_.data(), pending_.size())) {
            pending_.clear();
            return Status::WriteFailed;
        }
        plan_.MarkPresent(place);
    }
    pending_.clear();
    ++chunk_;
    return Status::Ok;
}

}  // namespace updater
