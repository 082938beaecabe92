#include "updater/update_run_win32.h"

#include <windows.h>

#include <map>
#include <numeric>
#include <set>
#include <thread>
#include <vector>

#include "runtime/text_conversion_win32.h"
#include "updater/file_hash_win32.h"
#include "updater/file_urls.h"
#include "updater/http_transfer_win32.h"
#include "updater/launcher_name_win32.h"
#include "updater/launcher_process_win32.h"
#include "updater/update_document.h"
#include "updater/update_messages_win32.h"
#include "updater/updater_lock_win32.h"

namespace updater {
namespace {

std::string Utf8FromGbk(std::string_view gbk) {
    std::wstring wide = rt::WideFromGbk(gbk);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string utf8(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr,
                            nullptr);
    return utf8;
}

// A file the update needs in the staging folder, once per distinct content.
struct NeededContent {
    const ListedFile* listed;  // the first entry with this content
    bool staged = false;       // already whole in the staging folder
    uint64_t partial = 0;      // bytes of it kept from an earlier run
};

class Run {
public:
    Run(const RunSettings& settings, UpdateProgress& progress, const std::atomic<bool>& cancel, const RunHooks& hooks)
        : settings_(settings), folder_(settings.folder), progress_(progress), cancel_(cancel), hooks_(hooks),
          installer_(settings.folder, settings.installHook) {}

    RunResult Go() {
        UpdaterLock lock(folder_.Root());
        if (!lock.Held()) return {RunOutcome::Failed, "另一个更新程序正在这个游戏文件夹中运行，请等它结束"};
        if (!FinishEarlierInstall()) return result_;
        if (!FetchDocument()) return result_;
        if (!CheckLocalLayout()) return result_;
        if (!FindChangedFiles()) return result_;
        if (changed_.empty() && ReadInstalledVersion(folder_) == document_.version) return NothingToInstall();
        if (!PrepareStaging()) return result_;
        if (!DownloadAll()) return result_;
        if (!VerifyAll()) return result_;
        if (!WaitForLauncher()) return result_;
        if (!InstallChanged()) return result_;
        return StartLauncher();
    }

private:
    bool Fail(std::string message) {
        result_ = {RunOutcome::Failed, std::move(message)};
        return false;
    }
    bool Cancelled() {
        result_ = {RunOutcome::Cancelled, std::string()};
        return false;
    }

    bool FinishEarlierInstall() {
        progress_.Begin("正在检查上次的更新…");
        if (installer_.JournalPresent() && !WaitForLauncher()) return false;
        Changing(true);
        InstallReport report = installer_.Recover();
        Changing(false);
        if (report.status == InstallStatus::Done) return true;
        if (report.journalUnreadable) return Fail("上次中断的更新留下的记录无法读取，无法确认游戏文件是否完整");
        return Fail("无法完成上次中断的更新：" + FileProblem(report.file, report.systemError));
    }

    bool FetchDocument() {
        progress_.Begin("正在获取并验证更新列表…");
        if (!IsHttpUrl(settings_.documentUrl)) return Fail("更新地址不可用：" + settings_.documentUrl);
        FetchedDocument fetched = FetchTrustedDocument(http_, settings_.documentUrl, folder_, settings_.trust);
        if (!fetched.ok) return Fail(fetched.message);
        document_ = std::move(fetched.document);
        std::optional<std::string> base = ResolveBaseUrl(settings_.documentUrl, document_.base);
        if (!base) return Fail("更新列表的下载地址不可用（" + document_.base + "）");
        baseUrl_ = *base;
        return true;
    }

    // Nothing listed may land on a folder, behind a file or through a link.
    bool CheckLocalLayout() {
        for (const ListedFile& file : document_.files) {
            std::wstring installed = folder_.Installed(file.path);
            if (installed.size() >= MAX_PATH) return Fail("游戏文件夹的路径加上 " + file.path + " 太长，无法安装");
            for (const std::string& enclosing : EnclosingFolders(file.path)) {
                FileFacts facts = Inspect(folder_.Installed(enclosing));
                if (facts.isLink) return Fail("游戏文件夹中的 " + enclosing + " 是一个链接，已拒绝更新");
                if (facts.exists && !facts.isFolder)
                    return Fail("游戏文件夹中的 " + enclosing + " 是文件，与更新列表的 " + file.path + " 冲突");
            }
            FileFacts facts = Inspect(installed);
            if (facts.isLink) return Fail("游戏文件夹中的 " + file.path + " 是一个链接，已拒绝更新");
            if (facts.isFolder) return Fail("游戏文件夹中的 " + file.path + " 是文件夹，与更新列表冲突");
        }
        return true;
    }

    bool FindChangedFiles() {
        uint64_t toHash = 0;
        for (const ListedFile& file : document_.files) {
            FileFacts facts = Inspect(folder_.Installed(file.path));
            if (facts.exists && facts.size == file.size) toHash += file.size;
        }
        progress_.Begin("正在检查本地文件…", toHash);
        for (const ListedFile& file : document_.files) {
            FileFacts facts = Inspect(folder_.Installed(file.path));
            bool same = false;
            if (facts.exists && facts.size == file.size) {
                progress_.SetFile(file.path);
                std::string hash;
                HashStatus status = HashFile(folder_.Installed(file.path), &hash, Counting());
                if (status == HashStatus::Cancelled) return Cancelled();
                if (status == HashStatus::NoHashing) return Fail("系统无法计算校验值（SHA-256）");
                same = status == HashStatus::Ok && hash == file.sha256;
            }
            if (!same) changed_.push_back(&file);
        }
        return true;
    }

    std::function<bool(uint64_t)> Counting() {
        return [this](uint64_t bytes) {
            progress_.Add(bytes);
            return !cancel_.load();
        };
    }

    // Keeps what earlier runs staged for this version; drops everything else there.
    bool PrepareStaging() {
        progress_.Begin("正在准备下载…");
        if (!CreateFolders(folder_.StagingFolder()))
            return Fail("无法在游戏文件夹中建立下载文件夹：" + SystemProblem(GetLastError()));
        std::set<std::wstring> keep;
        for (const ListedFile* file : changed_) {
            if (needed_.count(file->sha256)) continue;
            NeededContent content{file};
            keep.insert(folder_.Staged(file->sha256));
            keep.insert(folder_.Partial(file->sha256));
            FileFacts whole = Inspect(folder_.Staged(file->sha256));
            FileFacts partial = Inspect(folder_.Partial(file->sha256));
            if (whole.exists && whole.size == file->size) {
                content.staged = true;
            } else if (partial.exists && partial.size <= file->size) {
                content.partial = partial.size;
            }
            needed_.emplace(file->sha256, content);
        }
        DeleteStagedExcept(keep);
        uint64_t missing = 0;
        for (const auto& [hash, content] : needed_) {
            if (!content.staged) missing += content.listed->size - content.partial;
        }
        // A second entry with the same content is installed from a copy of its own.
        missing += std::accumulate(changed_.begin(), changed_.end(), uint64_t(0),
                                   [](uint64_t sum, const ListedFile* file) { return sum + file->size; });
        for (const auto& [hash, content] : needed_) missing -= content.listed->size;
        ULARGE_INTEGER available{};
        if (GetDiskFreeSpaceExW(folder_.Root().c_str(), &available, nullptr, nullptr) &&
            available.QuadPart < missing)
            return Fail("磁盘空间不足：更新还需要 " + ByteCount(missing) + "，磁盘上只有 " +
                        ByteCount(available.QuadPart));
        toDownload_ = missing;
        return true;
    }

    void DeleteStagedExcept(const std::set<std::wstring>& keep) {
        WIN32_FIND_DATAW found;
        const std::wstring staging = folder_.StagingFolder();
        HANDLE search = FindFirstFileW((staging + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            std::wstring path = staging + L"\\" + found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !keep.count(path)) DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

    bool DownloadAll() {
        progress_.Begin("正在下载更新 " + document_.version + "…", toDownload_);
        for (auto& [hash, content] : needed_) {
            if (content.staged) continue;
            if (!DownloadOne(content)) return false;
        }
        return true;
    }

    bool DownloadOne(NeededContent& content) {
        const ListedFile& file = *content.listed;
        progress_.SetFile(file.path);
        const std::wstring partial = folder_.Partial(file.sha256);
        HANDLE handle = CreateFileW(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return Fail("无法保存 " + file.path + "：" + SystemProblem(GetLastError()));
        LARGE_INTEGER end{}, position{};
        SetFilePointerEx(handle, end, &position, FILE_END);
        TransferResult result;
        if (static_cast<uint64_t>(position.QuadPart) < file.size) {
            result = http_.Download(FileUrl(baseUrl_, Utf8FromGbk(file.path)), handle, position.QuadPart, file.size,
                                    Counting());
        }
        if (result.error == TransferError::None && !FlushFileBuffers(handle)) {
            result.error = TransferError::DiskWrite;
            result.systemError = GetLastError();
        }
        CloseHandle(handle);
        if (result.error == TransferError::Cancelled) return Cancelled();
        if (result.error != TransferError::None) {
            // Bytes beyond the announced size or of another file are of no use for a later resume.
            if (result.error == TransferError::TooManyBytes || result.error == TransferError::WrongLength)
                DeleteFileW(partial.c_str());
            return Fail(FileTransferProblem(file.path, result));
        }
        if (!MoveFileExW(partial.c_str(), folder_.Staged(file.sha256).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Fail("无法保存 " + file.path + "：" + SystemProblem(GetLastError()));
        content.staged = true;
        return true;
    }

    bool VerifyAll() {
        uint64_t total = 0;
        for (const auto& [hash, content] : needed_) total += content.listed->size;
        progress_.Begin("正在校验下载的文件…", total);
        for (const auto& [hash, content] : needed_) {
            const ListedFile& file = *content.listed;
            progress_.SetFile(file.path);
            const std::wstring staged = folder_.Staged(file.sha256);
            std::string actual;
            unsigned long error = 0;
            HashStatus status = Inspect(staged).size == file.size ? HashFile(staged, &actual, Counting(), &error)
                                                                   : HashStatus::Ok;
            if (status == HashStatus::Cancelled) return Cancelled();
            if (status == HashStatus::NoHashing) return Fail("系统无法计算校验值（SHA-256）");
            if (status == HashStatus::CannotRead) return Fail("无法读取下载的 " + file.path + "：" + SystemProblem(error));
            if (actual != file.sha256) {
                DeleteFileW(staged.c_str());
                return Fail("文件 " + file.path + " 校验失败：下载的内容与更新列表不符，已删除下载的内容，游戏文件没有改动");
            }
        }
        return true;
    }

    bool WaitForLauncher() {
        for (;;) {
            progress_.Begin("正在等待游戏启动器退出…");
            auto deadline = std::chrono::steady_clock::now() + settings_.launcherWait;
            while (LauncherRunsFrom(folder_.Root())) {
                if (cancel_.load()) return Cancelled();
                if (std::chrono::steady_clock::now() >= deadline) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            if (!LauncherRunsFrom(folder_.Root())) return true;
            if (!hooks_.askToCloseLauncher || !hooks_.askToCloseLauncher()) return Cancelled();
        }
    }

    void Changing(bool changing) {
        if (hooks_.changingInstalledFiles) hooks_.changingInstalledFiles(changing);
    }

    bool InstallChanged() {
        if (cancel_.load()) return Cancelled();
        Changing(true);
        progress_.Begin("正在安装更新 " + document_.version + "…");
        std::vector<InstallItem> items;
        std::map<std::string, int> uses;
        for (const ListedFile* file : changed_) {
            std::wstring staged = folder_.Staged(file->sha256);
            // A second entry with the same content gets a copy of its own to move into place.
            if (uses[file->sha256]++ > 0) {
                std::wstring copy = staged + L"." + std::to_wstring(items.size());
                if (!CopyFileW(staged.c_str(), copy.c_str(), FALSE))
                    return Fail("无法准备 " + file->path + "：" + SystemProblem(GetLastError()));
                staged = copy;
            }
            items.push_back({file->path, file->sha256, staged});
        }
        InstallReport report = installer_.Install(document_.version, items);
        if (report.status == InstallStatus::Interrupted) return Fail("安装在测试设定的步骤停止");
        if (report.status == InstallStatus::Failed) return Fail(InstallProblem(report));
        return true;
    }

    // The published version is installed already. A launcher that just handed
    // over ends by itself; one that still runs was started by the player.
    RunResult NothingToInstall() {
        progress_.Begin("游戏已是最新版本");
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (LauncherRunsFrom(folder_.Root())) {
            if (std::chrono::steady_clock::now() >= deadline) return {RunOutcome::Installed, std::string()};
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return StartLauncher();
    }

    RunResult StartLauncher() {
        progress_.Begin("更新完成，正在启动游戏启动器…");
        if (DWORD error = StartProgram(folder_.Launcher(), folder_.Root()); error != 0)
            return {RunOutcome::Failed, std::string("游戏已更新，但无法启动 ") + launcher::kExecutableName + "：" +
                                            SystemProblem(error)};
        return {RunOutcome::Installed, std::string()};
    }

    const RunSettings& settings_;
    const GameFolder& folder_;
    UpdateProgress& progress_;
    const std::atomic<bool>& cancel_;
    const RunHooks& hooks_;
    Installer installer_;
    HttpTransfer http_;
    RunResult result_;
    UpdateDocument document_;
    std::string baseUrl_;
    std::vector<const ListedFile*> changed_;
    std::map<std::string, NeededContent> needed_;
    uint64_t toDownload_ = 0;
};

}  // namespace

RunResult RunUpdate(const RunSettings& settings, UpdateProgress& progress, const std::atomic<bool>& cancel,
                    const RunHooks& hooks) {
    return Run(settings, progress, cancel, hooks).Go();
}

}  // namespace updater
