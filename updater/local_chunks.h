// Finding a new file's chunks on the player's disk: in the staging file an
// earlier run left (each place checked where it lies), and in installed files
// cut with the index's chunker (a chunk found anywhere fills every missing
// place of its content).
#pragma once

#include <cstdint>
#include <functional>

#include "update_format/content_chunker.h"
#include "updater/delta_plan.h"

namespace updater {

enum class ScanStatus { Done, ReadFailed, WriteFailed, Cancelled };

// `progress` sees the bytes read; returning false cancels.
using ScanProgress = std::function<bool(uint64_t bytes)>;

// Marks present every place whose bytes in the staging file (read from its
// start) already match the index.
ScanStatus VerifyInPlace(DeltaPlan& plan, const StreamReader& read, const ScanProgress& progress);

// Cuts a local file and writes each chunk of it that a missing place needs.
// Stops early once nothing is missing.
ScanStatus FillFromLocal(DeltaPlan& plan, const StreamReader& read, const ChunkReceiver::Writer& write,
                         const ScanProgress& progress);

}  // namespace updater
