// One run of the updater, on the worker thread: make sure no other updater
// runs in the game folder, finish an interrupted install, fetch the signed
// document and verify it, find the files that differ, download them into
// the staging folder (resuming partial ones), verify them all, wait for the
// launcher to end, install, and start the launcher again.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

#include "updater/game_folder_win32.h"
#include "updater/installer_win32.h"
#include "updater/trusted_document_win32.h"
#include "updater/update_progress.h"

namespace updater {

enum class RunOutcome { Installed, Failed, Cancelled };

struct RunResult {
    RunOutcome outcome = RunOutcome::Installed;
    std::string message;  // GBK, plain Chinese: what went wrong and why
};

struct RunSettings {
    std::string documentUrl;
    GameFolder folder;
    TrustSettings trust;
    InstallPointHook installHook;  // test hook; null in normal use
    std::chrono::milliseconds launcherWait{30000};
};

struct RunHooks {
    // Asks the player to close the launcher; true for retry, false for cancel.
    std::function<bool()> askToCloseLauncher;
    // True while installed files are being changed (an install, or finishing
    // an interrupted one): the run is not cancelled then.
    std::function<void(bool)> changingInstalledFiles;
};

RunResult RunUpdate(const RunSettings& settings, UpdateProgress& progress, const std::atomic<bool>& cancel,
                    const RunHooks& hooks);

}  // namespace updater
