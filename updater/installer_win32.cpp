#include "updater/installer_win32.h"

#include <windows.h>

#include <algorithm>

#include "common/ini.h"
#include "common/update_ini.h"
#include "update_format/entry_paths.h"
#include "updater/install_journal.h"

namespace updater {
namespace {

constexpr size_t kLargestJournal = 64 << 20;
constexpr size_t kLargestIni = 1 << 20;
constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

bool Move(const std::wstring& from, const std::wstring& to, DWORD flags, DWORD* error) {
    if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
    *error = GetLastError();
    return false;
}

bool Delete(const std::wstring& path) {
    // A read-only backup of a read-only game file must go too.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
}

// Deletes the files directly in a folder; what cannot go (a running program) stays.
void DeleteFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) Delete(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

InstallFailure Interrupted() {
    InstallFailure failure;
    failure.status = InstallStatus::Interrupted;
    return failure;
}

}  // namespace

std::optional<std::string> ReadInstalledVersion(const GameFolder& folder) {
    std::string ini;
    if (!ReadSmallFile(folder.UpdateIni(), &ini, kLargestIni)) return std::nullopt;
    return common::FindIniValue(ini, common::kUpdateIniSection, common::kUpdateIniVersionKey);
}

bool Installer::JournalPresent() const { return Inspect(folder_.Journal()).exists; }

bool Installer::Point() { return !hook_ || hook_(++point_); }

InstallFailure Installer::Failure(const std::string& file, unsigned long error) {
    InstallFailure failure;
    failure.file = file;
    failure.systemError = error;
    return failure;
}

InstallFailure Installer::RollBackAfter(const std::string& file, unsigned long error) {
    auto recovered = Recover();
    InstallFailure failure = Failure(file, error);
    if (recovered) {
        failure.recovery = *recovered;
    } else {
        failure.recovery = recovered.error().recovery;
        failure.journalUnreadable = recovered.error().journalUnreadable;
    }
    return failure;
}

void Installer::RemoveLeftovers() {
    Delete(folder_.CommitMarker());
    Delete(folder_.NewUpdateIni());
    Delete(folder_.Journal() + L".new");
    DeleteFilesIn(folder_.BackupFolder());
    // Each goes only when empty: staged downloads wait there for a later run.
    RemoveDirectoryW(folder_.BackupFolder().c_str());
    RemoveDirectoryW(folder_.StagingFolder().c_str());
    RemoveDirectoryW(folder_.Work().c_str());
}

InstallResult<RecoveryKind> Installer::Recover() {
    if (!JournalPresent()) {
        RemoveLeftovers();
        return RecoveryKind::NothingToDo;
    }
    std::string text;
    std::optional<InstallJournal> journal;
    if (ReadSmallFile(folder_.Journal(), &text, kLargestJournal)) journal = ParseJournal(text);
    if (!journal) {
        InstallFailure failure = Failure(std::string(), ERROR_INVALID_DATA);
        failure.journalUnreadable = true;
        return failure;
    }

    InstallState state;
    state.commitMarkerPresent = Inspect(folder_.CommitMarker()).exists;
    state.installedVersion = ReadInstalledVersion(folder_);
    for (size_t i = 0; i < journal->entries.size(); ++i) {
        state.entries.push_back({Inspect(folder_.Installed(journal->entries[i].path)).exists,
                                 Inspect(folder_.Backup(i)).exists});
    }
    RecoveryPlan plan = PlanRecovery(*journal, state);
    const RecoveryKind recovery =
        plan.outcome == RecoveryOutcome::RollBack ? RecoveryKind::RolledBack : RecoveryKind::Finished;

    CreateFolders(folder_.StagingFolder());
    // Backwards, so that a rollback undoes the install in the opposite order.
    for (size_t n = journal->entries.size(); n-- > 0;) {
        const JournalEntry& entry = journal->entries[n];
        const std::wstring installed = folder_.Installed(entry.path), backup = folder_.Backup(n),
                           aside = folder_.Staged(entry.sha256);
        DWORD error = 0;
        bool ok = true;
        switch (plan.actions[n]) {
        case EntryAction::Nothing:
            break;
        case EntryAction::RestoreBackup:
            ok = Move(backup, installed, kReplace, &error);
            break;
        case EntryAction::SetNewAsideAndRestore:
            ok = Move(installed, aside, kReplace, &error) && Move(backup, installed, kReplace, &error);
            break;
        case EntryAction::SetNewAside:
            ok = Move(installed, aside, kReplace, &error);
            break;
        case EntryAction::DeleteBackup:
            Delete(backup);  // a running updater's own old program stays until a later run
            break;
        }
        if (!ok) {
            InstallFailure failure = Failure(entry.path, error);
            failure.recovery = recovery;
            return failure;
        }
    }
    if (plan.outcome == RecoveryOutcome::RollBack) {
        Delete(folder_.NewUpdateIni());
        for (auto folder = journal->createdFolders.rbegin(); folder != journal->createdFolders.rend(); ++folder)
            RemoveDirectoryW(folder_.Installed(*folder).c_str());
    }
    if (!Delete(folder_.Journal())) {
        InstallFailure failure = Failure(std::string(), GetLastError());
        failure.recovery = recovery;
        return failure;
    }
    RemoveLeftovers();
    return recovery;
}

InstallResult<> Installer::Install(const std::string& targetVersion, const std::vector<InstallItem>& items) {
    InstallJournal journal;
    journal.targetVersion = targetVersion;
    journal.previousVersion = ReadInstalledVersion(folder_).value_or(std::string());
    for (const InstallItem& item : items) {
        for (const std::string& folder : EnclosingFolders(item.path)) {
            if (!Inspect(folder_.Installed(folder)).exists &&
                std::find(journal.createdFolders.begin(), journal.createdFolders.end(), folder) ==
                    journal.createdFolders.end())
                journal.createdFolders.push_back(folder);
        }
        journal.entries.push_back({item.path, item.sha256, Inspect(folder_.Installed(item.path)).exists});
    }

    if (!CreateFolders(folder_.BackupFolder())) return Failure(std::string(), GetLastError());
    if (DWORD error = ReplaceFileWhole(folder_.Journal(), SerializeJournal(journal)); error != 0)
        return Failure(std::string(), error);
    if (!Point()) return Interrupted();

    for (const std::string& folder : journal.createdFolders) {
        if (!CreateDirectoryW(folder_.Installed(folder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return RollBackAfter(folder, GetLastError());
    }
    if (!Point()) return Interrupted();

    for (size_t i = 0; i < items.size(); ++i) {
        const std::wstring installed = folder_.Installed(items[i].path);
        DWORD error = 0;
        if (journal.entries[i].hadInstalled) {
            if (!Move(installed, folder_.Backup(i), MOVEFILE_WRITE_THROUGH, &error))
                return RollBackAfter(items[i].path, error);
            if (!Point()) return Interrupted();
        }
        if (!Move(items[i].staged, installed, kReplace, &error)) return RollBackAfter(items[i].path, error);
        if (!Point()) return Interrupted();
    }

    std::string ini;
    if (Inspect(folder_.UpdateIni()).exists && !ReadSmallFile(folder_.UpdateIni(), &ini, kLargestIni))
        return RollBackAfter("update.ini", GetLastError());
    const std::string updated =
        common::WithIniValue(ini, common::kUpdateIniSection, common::kUpdateIniVersionKey, targetVersion);
    if (DWORD error = WriteFileWhole(folder_.NewUpdateIni(), updated); error != 0)
        return RollBackAfter("update.ini", error);
    if (!Point()) return Interrupted();
    DWORD error = 0;
    if (!Move(folder_.NewUpdateIni(), folder_.UpdateIni(), kReplace, &error)) return RollBackAfter("update.ini", error);
    if (!Point()) return Interrupted();

    // Committed. The marker tells a later run so even when the version did not change.
    WriteFileWhole(folder_.CommitMarker(), std::string_view());
    if (!Point()) return Interrupted();
    for (size_t i = 0; i < items.size(); ++i) {
        if (!journal.entries[i].hadInstalled) continue;
        Delete(folder_.Backup(i));
        if (!Point()) return Interrupted();
    }
    Delete(folder_.Journal());
    if (!Point()) return Interrupted();
    RemoveLeftovers();
    return {};
}

}  // namespace updater
