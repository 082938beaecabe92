// The install journal: written (whole, under a temporary name, then renamed)
// before the first installed file is touched, so that an interrupted install
// can be finished by the next run: rolled back before the commit point,
// cleaned up after it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

struct JournalEntry {
    std::string path;      // normalised GBK path in the game folder
    std::string sha256;    // of the new file, which names it in the staging folder
    bool hadInstalled = false;  // a file was at `path` when the journal was written
};

struct InstallJournal {
    std::string targetVersion;
    std::string previousVersion;
    std::vector<std::string> createdFolders;  // outermost first
    std::vector<JournalEntry> entries;        // entry i's backup is named i
};

std::string SerializeJournal(const InstallJournal& journal);
// Nothing when the text is not a whole journal, or names a path that the
// update document could not have listed (it is a file anyone may edit).
std::optional<InstallJournal> ParseJournal(std::string_view text);

// What the next run finds of one entry.
struct EntryState {
    bool installedPresent = false;
    bool backupPresent = false;
};

// What the next run finds of an interrupted install.
struct InstallState {
    bool commitMarkerPresent = false;      // written right after the version
    std::optional<std::string> installedVersion;  // update.ini's, when it has one
    std::vector<EntryState> entries;       // one per journal entry
};

enum class EntryAction {
    Nothing,
    RestoreBackup,         // the backup goes back in place
    SetNewAsideAndRestore, // the new file goes back to the staging folder, then the backup in place
    SetNewAside,           // the new file goes back to the staging folder (there was none before)
    DeleteBackup,
};

enum class RecoveryOutcome { RollBack, Finish };

struct RecoveryPlan {
    RecoveryOutcome outcome = RecoveryOutcome::RollBack;
    std::vector<EntryAction> actions;  // one per journal entry
    // Entries whose files are not where any step of the install leaves them
    // (removed by someone else); recovery does what it can for the rest.
    std::vector<size_t> unexplained;
};

// The commit point is the version in update.ini: written after every file is
// in place. An install that already had the target version (a repair) is
// committed only by the marker written right after it.
RecoveryPlan PlanRecovery(const InstallJournal& journal, const InstallState& state);

}  // namespace updater
