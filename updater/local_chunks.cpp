#include "updater/local_chunks.h"

#include <vector>

namespace updater {

ScanStatus VerifyInPlace(DeltaPlan& plan, const StreamReader& read, const ScanProgress& progress) {
    const ChunkIndex& index = plan.Index();
    std::vector<unsigned char> chunk(index.params.largest);
    for (size_t place = 0; place < index.Count(); ++place) {
        const size_t size = index.Size(place);
        size_t filled = 0;
        while (filled < size) {
            size_t count = 0;
            if (!read(chunk.data() + filled, size - filled, &count)) return ScanStatus::ReadFailed;
            if (count == 0) return ScanStatus::Done;  // a shorter file: the rest is missing
            filled += count;
        }
        if (HashChunk(chunk.data(), size) == index.hashes[place]) plan.MarkPresent(place);
        if (progress && !progress(size)) return ScanStatus::Cancelled;
    }
    return ScanStatus::Done;
}

ScanStatus FillFromLocal(DeltaPlan& plan, const StreamReader& read, const ChunkReceiver::Writer& write,
                         const ScanProgress& progress) {
    ScanStatus status = ScanStatus::Done;
    bool readError = false;
    auto reader = [&](unsigned char* into, size_t room, size_t* count) {
        if (read(into, room, count)) return true;
        readError = true;
        return false;
    };
    CutStream(plan.Index().params, reader, [&](const unsigned char* data, size_t size) {
        if (plan.MissingCount() == 0) return false;
        for (size_t place : plan.MissingWith(HashChunk(data, size), size)) {
            if (!write(plan.Index().Offset(place), data, size)) {
                status = ScanStatus::WriteFailed;
                return false;
            }
            plan.MarkPresent(place);
        }
        if (progress && !progress(size)) {
            status = ScanStatus::Cancelled;
            return false;
        }
        return true;
    });
    return readError ? ScanStatus::ReadFailed : status;
}

}  // namespace updater
