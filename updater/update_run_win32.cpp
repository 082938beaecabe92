#include "updater/update_run_win32.h"

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "updater/file_hash_win32.h"
#include "update_format/file_urls.h"
#include "updater/http_transfer_win32.h"
#include "updater/launcher_name_win32.h"
#include "updater/launcher_process_win32.h"
#include "updater/staged_contents_win32.h"
#include "update_format/update_document.h"
#include "updater/unlisted_files_win32.h"
#include "updater/update_messages_win32.h"
#include "updater/updater_lock_win32.h"

namespace updater {
namespace {

// Unlisted files cut for one new file at most: each costs a read of it.
constexpr size_t kMostSources = 8;

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
        if (!FindMovedContent()) return result_;
        if (!Stage()) return result_;
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
        auto recovered = installer_.Recover();
        Changing(false);
        if (recovered) return true;
        const InstallFailure& failure = recovered.error();
        if (failure.journalUnreadable) return Fail("上次中断的更新留下的记录无法读取，无法确认游戏文件是否完整");
        return Fail("无法完成上次中断的更新：" + FileProblem(failure.file, failure.systemError));
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
                if (status == HashStatus::Ok) installedHashes_.emplace(hash, folder_.Installed(file.path));
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

    // Gets every changed content into the staging folder: from earlier runs,
    // from installed files, as chunks, or whole.
    bool Stage() {
        staged_ = std::make_unique<StagedContents>(delta_, baseUrl_);
        return Went(staged_->Prepare(changed_)) && Went(staged_->CopyInstalled(installedHashes_)) &&
               Went(staged_->PlanDeltas([this](const ListedFile& file) { return SourcesOf(file); })) &&
               Went(staged_->DownloadAll(document_.version));
    }

    bool Went(const Step& step) {
        if (step.status == StepStatus::Cancelled) return Cancelled();
        if (step.status == StepStatus::Failed) return Fail(step.message);
        return true;
    }

    // A file the new version lists elsewhere may be installed whole under a
    // path it no longer lists: the unlisted files of a needed size are hashed.
    bool FindMovedContent() {
        unlisted_ = FindUnlistedFiles(folder_, document_.files);
        std::set<uint64_t> sizes;
        for (const ListedFile* file : changed_) {
            if (!installedHashes_.count(file->sha256)) sizes.insert(file->size);
        }
        uint64_t total = 0;
        for (const UnlistedFile& file : unlisted_) total += sizes.count(file.size) ? file.size : 0;
        if (total == 0) return true;
        progress_.Begin("正在查找移动过的文件…", total);
        for (const UnlistedFile& file : unlisted_) {
            if (!sizes.count(file.size)) continue;
            std::string hash;
            HashStatus status = HashFile(file.path, &hash, Counting());
            if (status == HashStatus::Cancelled) return Cancelled();
            if (status == HashStatus::Ok) installedHashes_.emplace(hash, file.path);
        }
        return true;
    }

    // The installed files whose chunks a new file may reuse: the one it
    // replaces; for a file new at its path, unlisted files of its name, then
    // those in its folder (moved or renamed, and changed).
    std::vector<std::wstring> SourcesOf(const ListedFile& file) const {
        FileFacts facts = Inspect(folder_.Installed(file.path));
        if (facts.exists && !facts.isFolder && !facts.isLink) return {folder_.Installed(file.path)};
        std::vector<std::wstring> sources;
        auto [folder, name] = FolderAndName(file);
        for (const UnlistedFile& unlisted : unlisted_) {
            if (unlisted.name == name) sources.push_back(unlisted.path);
        }
        for (const UnlistedFile& unlisted : unlisted_) {
            if (unlisted.folder == folder && unlisted.name != name) sources.push_back(unlisted.path);
        }
        if (sources.size() > kMostSources) sources.resize(kMostSources);
        return sources;
    }

    bool VerifyAll() {
        uint64_t total = 0;
        for (const auto& [hash, content] : staged_->Contents()) total += content.listed->size;
        progress_.Begin("正在校验下载的文件…", total);
        for (const auto& [hash, content] : staged_->Contents()) {
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
        auto installed = installer_.Install(document_.version, items);
        if (installed) return true;
        if (installed.error().status == InstallStatus::Interrupted) return Fail("安装在测试设定的步骤停止");
        return Fail(InstallProblem(installed.error()));
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
            return {RunOutcome::Failed, std::string("游戏已更新，但无法启动 ") + brand::kExecutableName + "：" +
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
    std::map<std::string, std::wstring> installedHashes_;  // SHA-256 -> an installed file with that content
    std::vector<UnlistedFile> unlisted_;
    DeltaContext delta_{folder_, http_, progress_, cancel_};
    std::unique_ptr<StagedContents> staged_;
};

}  // namespace

RunResult RunUpdate(const RunSettings& settings, UpdateProgress& progress, const std::atomic<bool>& cancel,
                    const RunHooks& hooks) {
    return Run(settings, progress, cancel, hooks).Go();
}

}  // namespace updater
