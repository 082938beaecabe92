// What an update needs in the staging folder, one entry per distinct content
// (SHA-256), and how each gets there: already staged by an earlier run,
// copied from an installed file that holds that content, assembled from
// local chunks and fetched ranges, or downloaded whole (resuming a partial
// download). Progress counts the bytes to fetch, and the bytes saved.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "updater/delta_download_win32.h"

namespace updater {

struct NeededContent {
    const ListedFile* listed = nullptr;  // the first entry with this content
    bool staged = false;                 // already whole in the staging folder
    uint64_t partial = 0;                // bytes of a whole download kept from an earlier run
    std::unique_ptr<DeltaDownload> delta;  // assembled from chunks; none: downloaded whole
};

enum class StepStatus { Ok, Failed, Cancelled };
struct Step {
    StepStatus status = StepStatus::Ok;
    std::string message;  // GBK, when it failed
};

class StagedContents {
public:
    StagedContents(DeltaContext& context, std::string baseUrl) : context_(context), baseUrl_(std::move(baseUrl)) {}

    // Keeps what earlier runs staged for these files, drops everything else
    // there, and checks that the disk has room for the rest.
    Step Prepare(const std::vector<const ListedFile*>& changed);
    // Copies the contents that installed files already hold whole (SHA-256 -> such a file).
    Step CopyInstalled(const std::map<std::string, std::wstring>& installed);
    // Finds the local chunks of every file with a chunk index; `sourcesOf`
    // names the installed files to cut for one.
    Step PlanDeltas(const std::function<std::vector<std::wstring>(const ListedFile&)>& sourcesOf);
    Step DownloadAll(const std::string& version);

    const std::map<std::string, NeededContent>& Contents() const { return needed_; }

private:
    Step DownloadWhole(NeededContent& content);
    std::string UrlOf(const ListedFile& file) const;

    DeltaContext& context_;
    std::string baseUrl_;
    std::map<std::string, NeededContent> needed_;
};

}  // namespace updater
