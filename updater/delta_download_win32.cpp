#include "updater/delta_download_win32.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "updater/delta_plan.h"
#include "updater/local_chunks.h"
#include "updater/update_messages_win32.h"

namespace updater {
namespace {

// An open file, closed when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

HANDLE OpenForReading(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

StreamReader ReaderOf(HANDLE file) {
    return [file](unsigned char* into, size_t room, size_t* count) {
        DWORD read = 0;
        DWORD asked = static_cast<DWORD>(room < (1u << 30) ? room : (1u << 30));
        if (!ReadFile(file, into, asked, &read, nullptr)) return false;
        *count = read;
        return true;
    };
}

// Writes at an offset of the staging file; the Windows error of a failed write goes to `error`.
ChunkReceiver::Writer WriterOf(HANDLE file, DWORD* error) {
    return [file, error](uint64_t offset, const unsigned char* data, size_t size) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (WriteFile(file, data, static_cast<DWORD>(size), &written, &at) && written == size) return true;
        *error = GetLastError();
        return false;
    };
}

bool SetSize(HANDLE file, uint64_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

std::vector<AskedRange> Asked(const std::vector<FetchRange>& ranges, size_t first, size_t count) {
    std::vector<AskedRange> asked;
    for (size_t i = first; i < first + count; ++i)
        asked.push_back({ranges[i].offset, ranges[i].offset + ranges[i].length - 1});
    return asked;
}

}  // namespace

bool DeltaDownload::LoadIndex(DeltaContext& context, bool mayFetch, ChunkIndex* index) {
    const std::wstring kept = context.folder.StagedIndex(file_.sha256);
    std::string bytes;
    if (!ReadSmallFile(kept, &bytes, file_.chunksSize) ||
        CheckIndexBytes(bytes, file_.chunksSize, file_.chunksSha256) != IndexStatus::Ok) {
        if (!mayFetch) return false;
        TransferResult fetched = context.http.Fetch(url_ + std::string(kIndexSuffix), file_.chunksSize, &bytes);
        if (fetched.error != TransferError::None ||
            CheckIndexBytes(bytes, file_.chunksSize, file_.chunksSha256) != IndexStatus::Ok)
            return false;
        // Kept so that a later run does not fetch it again; without it that run fetches it again.
        WriteFileWhole(kept, bytes);
    }
    return ParseChunkIndex(bytes, file_.size, index) == IndexStatus::Ok;
}

DeltaDownload::Outcome DeltaDownload::Plan(DeltaContext& context, const std::vector<std::wstring>& sources,
                                           std::string* message) {
    const std::wstring path = context.folder.Assembling(file_.sha256);
    const FileFacts before = Inspect(path);
    // Nothing on disk to take chunks from: one plain download costs less than the index and ranges.
    if (sources.empty() && !before.exists) return Outcome::NoDelta;
    ChunkIndex index;
    if (!LoadIndex(context, true, &index)) return Outcome::NoDelta;
    DeltaPlan plan(std::move(index));
    FileHandle staging(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!staging.Open()) {
        *message = "无法保存 " + file_.path + "：" + SystemProblem(GetLastError());
        return Outcome::Failed;
    }
    auto counted = [&](uint64_t bytes) {
        context.progress.Add(bytes);
        return !context.cancel.load();
    };
    if (before.exists && before.size == file_.size) {
        if (VerifyInPlace(plan, ReaderOf(staging.Get()), counted) == ScanStatus::Cancelled) return Outcome::Cancelled;
    } else if (!SetSize(staging.Get(), 0) || !SetSize(staging.Get(), file_.size)) {
        *message = "无法保存 " + file_.path + "：" + SystemProblem(GetLastError());
        return Outcome::Failed;
    }
    DWORD writeError = 0;
    for (const std::wstring& source : sources) {
        if (plan.MissingCount() == 0) break;
        FileHandle installed(OpenForReading(source));
        if (!installed.Open()) continue;  // what cannot be read is fetched
        ScanStatus status = FillFromLocal(plan, ReaderOf(installed.Get()), WriterOf(staging.Get(), &writeError), counted);
        if (status == ScanStatus::Cancelled) return Outcome::Cancelled;
        if (status == ScanStatus::WriteFailed) {
            *message = "无法保存 " + file_.path + "：" + SystemProblem(writeError);
            return Outcome::Failed;
        }
    }
    present_.assign(plan.Index().Count(), false);
    for (size_t chunk = 0; chunk < plan.Index().Count(); ++chunk) present_[chunk] = plan.Present(chunk);
    toFetch_ = DeltaPlan::Bytes(plan.Ranges());
    return Outcome::Ready;
}

DeltaDownload::Outcome DeltaDownload::Fetch(DeltaContext& context, std::string* message) {
    ChunkIndex index;
    if (!LoadIndex(context, false, &index) || index.Count() != present_.size()) return Outcome::NoDelta;
    DeltaPlan plan(std::move(index));
    for (size_t chunk = 0; chunk < present_.size(); ++chunk) {
        if (present_[chunk]) plan.MarkPresent(chunk);
    }
    {
        FileHandle staging(CreateFileW(context.folder.Assembling(file_.sha256).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!staging.Open()) {
            *message = "无法保存 " + file_.path + "：" + SystemProblem(GetLastError());
            return Outcome::Failed;
        }
        DWORD writeError = 0;
        std::map<size_t, int> corrupt;  // chunk -> times it came corrupted
        while (plan.MissingCount() > 0) {
            const std::vector<FetchRange> ranges = plan.Ranges();
            bool fetchAgain = false;
            for (size_t next = 0; next < ranges.size();) {
                const size_t count = std::min(context.rangesPerRequest, ranges.size() - next);
                ChunkReceiver receiver(plan, WriterOf(staging.Get(), &writeError));
                ChunkReceiver::Status status = ChunkReceiver::Status::Ok;
                bool cancelled = false;
                RangeAnswer answer = RangeAnswer::Ranges;
                TransferResult result = context.http.FetchRanges(
                    url_, Asked(ranges, next, count), file_.size,
                    [&](uint64_t offset, const char* data, size_t size) {
                        context.progress.Add(size);
                        if ((cancelled = context.cancel.load())) return false;
                        status = receiver.Receive(offset, reinterpret_cast<const unsigned char*>(data), size);
                        return status == ChunkReceiver::Status::Ok;
                    },
                    &answer);
                if (answer == RangeAnswer::NotAsAsked) {
                    context.rangesPerRequest = 1;
                    continue;
                }
                if (cancelled) return Outcome::Cancelled;
                if (status == ChunkReceiver::Status::Corrupt) {
                    // Fetched once more; a chunk that comes corrupted twice stops the run.
                    if (++corrupt[receiver.CorruptChunk()] > 1) {
                        *message = "文件 " + file_.path + " 校验失败：服务器发来的第 " +
                                   std::to_string(receiver.CorruptChunk() + 1) +
                                   " 块与更新列表不符，没有写入，游戏文件没有改动";
                        return Outcome::Failed;
                    }
                    fetchAgain = true;
                } else if (status == ChunkReceiver::Status::WriteFailed) {
                    *message = "无法保存 " + file_.path + "：" + SystemProblem(writeError);
                    return Outcome::Failed;
                } else if (status == ChunkReceiver::Status::NotAtChunkStart) {
                    result.error = TransferError::WrongLength;
                }
                if (status == ChunkReceiver::Status::Ok && result.error != TransferError::None) {
                    *message = FileTransferProblem(file_.path, result);
                    return Outcome::Failed;
                }
                if (answer == RangeAnswer::WholeFile) break;  // all of it came, or a corrupted chunk stopped it
                next += count;
            }
            if (!fetchAgain && plan.MissingCount() > 0) {
                *message = "下载 " + file_.path + " 失败：服务器的回答缺少部分内容";
                return Outcome::Failed;
            }
        }
        if (!FlushFileBuffers(staging.Get())) {
            *message = "无法保存 " + file_.path + "：" + SystemProblem(GetLastError());
            return Outcome::Failed;
        }
    }
    return Finish(context, message);
}

DeltaDownload::Outcome DeltaDownload::Finish(DeltaContext& context, std::string* message) {
    if (!MoveFileExW(context.folder.Assembling(file_.sha256).c_str(), context.folder.Staged(file_.sha256).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *message = "无法保存 " + file_.path + "：" + SystemProblem(GetLastError());
        return Outcome::Failed;
    }
    DeleteFileW(context.folder.StagedIndex(file_.sha256).c_str());
    return Outcome::Ready;
}

}  // namespace updater
