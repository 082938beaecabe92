// Installs verified staged files atomically with the journal: each installed
// file is renamed to its backup and the staged one moved into place, then the
// new version is written to update.ini (the commit point), then the backups
// and the journal go. A failure before the commit point, or a later run that
// finds the journal, restores every backup; after it, the clean-up finishes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "updater/game_folder_win32.h"

namespace updater {

struct InstallItem {
    std::string path;     // normalised GBK path in the game folder
    std::string sha256;
    std::wstring staged;  // the verified file to move into place
};

enum class InstallStatus {
    Failed,
    Interrupted,  // the point hook stopped it, as if the process had ended there
};

enum class RecoveryKind { NothingToDo, RolledBack, Finished };

// Why an install or a recovery stopped, as facts: the updater's window words them
// for the player.
struct InstallFailure {
    InstallStatus status = InstallStatus::Failed;
    RecoveryKind recovery = RecoveryKind::NothingToDo;  // what was done before it stopped
    std::string file;               // GBK path of the file at fault, when one is
    unsigned long systemError = 0;
    bool journalUnreadable = false;
};

template <typename T = void>
using InstallResult = common::Result<T, InstallFailure>;

// Called after each step of an install with its number (from 1); returning
// false stops the install there, leaving everything as it is.
using InstallPointHook = std::function<bool(int point)>;

// update.ini's version ("当前版本" in "更新配置"), when it has one.
std::optional<std::string> ReadInstalledVersion(const GameFolder& folder);

class Installer {
public:
    explicit Installer(GameFolder folder, InstallPointHook hook = nullptr)
        : folder_(std::move(folder)), hook_(std::move(hook)) {}

    bool JournalPresent() const;
    // Finishes what an earlier run left: rolls an uncommitted install back,
    // cleans a committed one up; leftovers without a journal are removed.
    InstallResult<RecoveryKind> Recover();
    // Installs the items (every staged file verified) and commits the version.
    InstallResult<> Install(const std::string& targetVersion, const std::vector<InstallItem>& items);

private:
    bool Point();
    InstallFailure Failure(const std::string& file, unsigned long error);
    InstallFailure RollBackAfter(const std::string& file, unsigned long error);
    void RemoveLeftovers();

    GameFolder folder_;
    InstallPointHook hook_;
    int point_ = 0;
};

}  // namespace updater
