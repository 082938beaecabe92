// One file of an update assembled in the staging folder from its chunk
// index: the index (kept there, fetched only when it is not), the chunks an
// earlier run left in the staging file, the chunks of installed files, and
// the rest fetched by ranges, each chunk verified before it is written.
// Between planning and fetching only one bit per chunk stays in memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "update_format/chunk_index.h"
#include "updater/game_folder_win32.h"
#include "updater/http_transfer_win32.h"
#include "update_format/update_document.h"
#include "updater/update_progress.h"

namespace updater {

struct DeltaContext {
    const GameFolder& folder;
    HttpTransfer& http;
    UpdateProgress& progress;
    const std::atomic<bool>& cancel;
    size_t rangesPerRequest = 32;  // drops to 1 for good once a server answers several otherwise
};

class DeltaDownload {
public:
    enum class Outcome {
        Ready,
        NoDelta,  // no usable index (none fetched, or one that fails its hash or checks): download it whole
        Failed,
        Cancelled,
    };

    DeltaDownload(const ListedFile& file, std::string fileUrl) : file_(file), url_(std::move(fileUrl)) {}

    // Finds what the staging file and `sources` (installed files, most
    // promising first) already hold and writes it in place.
    Outcome Plan(DeltaContext& context, const std::vector<std::wstring>& sources, std::string* message);
    uint64_t BytesToFetch() const { return toFetch_; }

    // Fetches the rest; then the file is whole under its staged name.
    Outcome Fetch(DeltaContext& context, std::string* message);

private:
    bool LoadIndex(DeltaContext& context, bool mayFetch, ChunkIndex* index);
    Outcome Finish(DeltaContext& context, std::string* message);

    const ListedFile& file_;
    std::string url_;
    std::vector<bool> present_;
    uint64_t toFetch_ = 0;
};

}  // namespace updater
