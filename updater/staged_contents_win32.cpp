#include "updater/staged_contents_win32.h"

#include <windows.h>

#include <set>

#include "common/text/gbk_conversion_win32.h"
#include "update_format/file_urls.h"
#include "updater/update_messages_win32.h"

namespace updater {
namespace {

Step Failure(std::string message) { return {StepStatus::Failed, std::move(message)}; }
Step Cancellation() { return {StepStatus::Cancelled, std::string()}; }

void DeleteStagedExcept(const std::wstring& staging, const std::set<std::wstring>& keep) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((staging + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring path = staging + L"\\" + found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !keep.count(path)) DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::string StagedContents::UrlOf(const ListedFile& file) const {
    return FileUrl(baseUrl_, common::Utf8FromGbk(file.path));
}

Step StagedContents::Prepare(const std::vector<const ListedFile*>& changed) {
    const GameFolder& folder = context_.folder;
    context_.progress.Begin("正在准备下载…");
    if (!CreateFolders(folder.StagingFolder()))
        return Failure("无法在游戏文件夹中建立下载文件夹：" + SystemProblem(GetLastError()));
    std::set<std::wstring> keep;
    uint64_t missing = 0;
    for (const ListedFile* file : changed) {
        // A second entry with the same content is installed from a copy of its own.
        missing += file->size;
        if (needed_.count(file->sha256)) continue;
        NeededContent content;
        content.listed = file;
        for (const std::wstring& name : {folder.Staged(file->sha256), folder.Partial(file->sha256),
                                         folder.Assembling(file->sha256), folder.StagedIndex(file->sha256)})
            keep.insert(name);
        FileFacts whole = Inspect(folder.Staged(file->sha256));
        FileFacts partial = Inspect(folder.Partial(file->sha256));
        if (whole.exists && whole.size == file->size) {
            content.staged = true;
            missing -= file->size;
        } else if (partial.exists && partial.size <= file->size) {
            content.partial = partial.size;
            missing -= partial.size;
        }
        needed_.emplace(file->sha256, std::move(content));
    }
    DeleteStagedExcept(folder.StagingFolder(), keep);
    ULARGE_INTEGER available{};
    if (GetDiskFreeSpaceExW(folder.Root().c_str(), &available, nullptr, nullptr) && available.QuadPart < missing)
        return Failure("磁盘空间不足：更新还需要 " + ByteCount(missing) + "，磁盘上只有 " +
                       ByteCount(available.QuadPart));
    return {};
}

Step StagedContents::CopyInstalled(const std::map<std::string, std::wstring>& installed) {
    uint64_t total = 0;
    for (const auto& [hash, content] : needed_) {
        if (!content.staged && installed.count(hash)) total += content.listed->size;
    }
    if (total == 0) return {};
    context_.progress.Begin("正在复制本地已有的内容…", total);
    for (auto& [hash, content] : needed_) {
        auto found = installed.find(hash);
        if (content.staged || found == installed.end()) continue;
        if (context_.cancel.load()) return Cancellation();
        context_.progress.SetFile(content.listed->path);
        const std::wstring staged = context_.folder.Staged(hash), copy = staged + L".copy";
        // Not copied (the file went or the disk is full): it is fetched instead, and a full disk reported then.
        if (CopyFileW(found->second.c_str(), copy.c_str(), FALSE) &&
            MoveFileExW(copy.c_str(), staged.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            content.staged = true;
        } else {
            DeleteFileW(copy.c_str());
        }
        context_.progress.Add(content.listed->size);
    }
    return {};
}

Step StagedContents::PlanDeltas(const std::function<std::vector<std::wstring>(const ListedFile&)>& sourcesOf) {
    // A whole download under way goes on as one.
    auto planned = [](const NeededContent& content) {
        return !content.staged && content.partial == 0 && content.listed->HasChunkIndex();
    };
    uint64_t total = 0;
    for (const auto& [hash, content] : needed_) {
        if (planned(content)) total += content.listed->size;
    }
    if (total == 0) return {};
    context_.progress.Begin("正在比较本地文件与新版本…", total);
    for (auto& [hash, content] : needed_) {
        if (!planned(content)) continue;
        context_.progress.SetFile(content.listed->path);
        content.delta = std::make_unique<DeltaDownload>(*content.listed, UrlOf(*content.listed));
        std::string message;
        switch (content.delta->Plan(context_, sourcesOf(*content.listed), &message)) {
        case DeltaDownload::Outcome::Ready: break;
        case DeltaDownload::Outcome::NoDelta: content.delta.reset(); break;
        case DeltaDownload::Outcome::Failed: return Failure(message);
        case DeltaDownload::Outcome::Cancelled: return Cancellation();
        }
    }
    return {};
}

Step StagedContents::DownloadAll(const std::string& version) {
    uint64_t toFetch = 0, sizes = 0;
    for (const auto& [hash, content] : needed_) {
        if (content.staged) continue;
        sizes += content.listed->size;
        toFetch += content.delta ? content.delta->BytesToFetch() : content.listed->size - content.partial;
    }
    context_.progress.Begin("正在下载更新 " + version + "…", toFetch, sizes - toFetch);
    for (auto& [hash, content] : needed_) {
        if (content.staged) continue;
        context_.progress.SetFile(content.listed->path);
        if (content.delta) {
            std::string message;
            DeltaDownload::Outcome outcome = content.delta->Fetch(context_, &message);
            if (outcome == DeltaDownload::Outcome::Failed) return Failure(message);
            if (outcome == DeltaDownload::Outcome::Cancelled) return Cancellation();
            content.staged = outcome == DeltaDownload::Outcome::Ready;
            if (content.staged) continue;
        }
        if (Step step = DownloadWhole(content); step.status != StepStatus::Ok) return step;
    }
    return {};
}

Step StagedContents::DownloadWhole(NeededContent& content) {
    const ListedFile& file = *content.listed;
    const std::wstring partial = context_.folder.Partial(file.sha256);
    HANDLE handle = CreateFileW(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Failure("无法保存 " + file.path + "：" + SystemProblem(GetLastError()));
    LARGE_INTEGER end{}, position{};
    SetFilePointerEx(handle, end, &position, FILE_END);
    TransferResult result;
    if (static_cast<uint64_t>(position.QuadPart) < file.size) {
        result = context_.http.Download(UrlOf(file), handle, position.QuadPart, file.size, [this](uint64_t bytes) {
            context_.progress.Add(bytes);
            return !context_.cancel.load();
        });
    }
    if (result.error == TransferError::None && !FlushFileBuffers(handle)) {
        result.error = TransferError::DiskWrite;
        result.systemError = GetLastError();
    }
    CloseHandle(handle);
    if (result.error == TransferError::Cancelled) return Cancellation();
    if (result.error != TransferError::None) {
        // Bytes beyond the announced size or of another file are of no use for a later resume.
        if (result.error == TransferError::TooManyBytes || result.error == TransferError::WrongLength)
            DeleteFileW(partial.c_str());
        return Failure(FileTransferProblem(file.path, result));
    }
    if (!MoveFileExW(partial.c_str(), context_.folder.Staged(file.sha256).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Failure("无法保存 " + file.path + "：" + SystemProblem(GetLastError()));
    content.staged = true;
    return {};
}

}  // namespace updater
