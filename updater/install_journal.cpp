#include "updater/install_journal.h"

#include <algorithm>

#include "common/hex.h"
#include "update_format/entry_paths.h"

namespace updater {
namespace {

constexpr std::string_view kFirstLine = "tovrin-journal 1";
constexpr std::string_view kLastLine = "end";

using common::HexDecode;

std::string Hex(std::string_view bytes) { return common::HexEncode(bytes); }

bool IsHash(std::string_view text) {
    return text.size() == 64 &&
           std::all_of(text.begin(), text.end(), [](char c) { return common::LowerHexDigitValue(c) >= 0; });
}

// Splits a line at tabs.
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

// Texts are written as hex: a version or a path may hold any byte but NUL.
std::string SerializeJournal(const InstallJournal& journal) {
    std::string text = std::string(kFirstLine) + "\n";
    text += "target\t" + Hex(journal.targetVersion) + "\n";
    text += "previous\t" + Hex(journal.previousVersion) + "\n";
    for (const std::string& folder : journal.createdFolders) text += "folder\t" + Hex(folder) + "\n";
    for (const JournalEntry& entry : journal.entries) {
        text += std::string("file\t") + (entry.hadInstalled ? "1" : "0") + "\t" + entry.sha256 + "\t" +
                Hex(entry.path) + "\n";
    }
    return text + std::string(kLastLine) + "\n";
}

// Strict: only the updater writes journals, so anything but the one order
// SerializeJournal writes is a journal someone else made.
std::optional<InstallJournal> ParseJournal(std::string_view text) {
    enum Section { kHeader, kTarget, kPrevious, kFolders, kFiles, kEnd };
    InstallJournal journal;
    Section at = kHeader;
    while (!text.empty()) {
        size_t newline = text.find('\n');
        if (newline == std::string_view::npos || at == kEnd) return std::nullopt;
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline + 1);
        if (at == kHeader) {
            if (line != kFirstLine) return std::nullopt;
            at = kTarget;
            continue;
        }
        if (line == kLastLine) {
            if (at < kFolders) return std::nullopt;
            at = kEnd;
            continue;
        }
        std::vector<std::string_view> fields = Fields(line);
        std::optional<std::string> value = HexDecode(fields.back());
        if (!value) return std::nullopt;
        if (at == kTarget && fields[0] == "target" && fields.size() == 2) {
            journal.targetVersion = *value;
            at = kPrevious;
        } else if (at == kPrevious && fields[0] == "previous" && fields.size() == 2) {
            journal.previousVersion = *value;
            at = kFolders;
        } else if (at == kFolders && fields[0] == "folder" && fields.size() == 2 &&
                   CheckEntryPath(*value) == PathProblem::None) {
            journal.createdFolders.push_back(*value);
        } else if (at >= kFolders && fields[0] == "file" && fields.size() == 4 &&
                   (fields[1] == "0" || fields[1] == "1") && IsHash(fields[2]) &&
                   CheckEntryPath(*value) == PathProblem::None) {
            journal.entries.push_back({*value, std::string(fields[2]), fields[1] == "1"});
            at = kFiles;
        } else {
            return std::nullopt;
        }
    }
    if (at != kEnd) return std::nullopt;
    return journal;
}

RecoveryPlan PlanRecovery(const InstallJournal& journal, const InstallState& state) {
    RecoveryPlan plan;
    bool versionWritten = state.installedVersion && *state.installedVersion == journal.targetVersion &&
                          journal.previousVersion != journal.targetVersion;
    plan.outcome = state.commitMarkerPresent || versionWritten ? RecoveryOutcome::Finish : RecoveryOutcome::RollBack;

    for (size_t i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry& entry = journal.entries[i];
        EntryState found = i < state.entries.size() ? state.entries[i] : EntryState{};
        EntryAction action = EntryAction::Nothing;
        bool explained = true;
        if (plan.outcome == RecoveryOutcome::Finish) {
            // Every file was in place before the version was written.
            if (found.backupPresent) action = EntryAction::DeleteBackup;
            explained = found.installedPresent;
        } else if (entry.hadInstalled) {
            // Renamed to its backup, then the new file moved in: either step may be missing.
            if (found.backupPresent) {
                action = found.installedPresent ? EntryAction::SetNewAsideAndRestore : EntryAction::RestoreBackup;
            } else {
                explained = found.installedPresent;
            }
        } else if (found.installedPresent) {
            action = EntryAction::SetNewAside;
        } else {
            explained = !found.backupPresent;
        }
        plan.actions.push_back(action);
        if (!explained) plan.unexplained.push_back(i);
    }
    return plan;
}

}  // namespace updater
