// The install journal: written whole or not at all, and read back into the
// decision of an interrupted install: roll back before the commit point,
// finish after it.
#include <gtest/gtest.h>

#include <string>

#include "updater/install_journal.h"

namespace {

using updater::EntryAction;
using updater::InstallJournal;
using updater::InstallState;
using updater::RecoveryOutcome;

InstallJournal TwoFileJournal(const std::string& previous = "1.0.0") {
    InstallJournal journal;
    journal.targetVersion = "1.0.1";
    journal.previousVersion = previous;
    journal.createdFolders = {"新", "新\\sub"};
    // An existing file is replaced, a new one is added.
    journal.entries = {{"Lumadrel.exe", std::string(64, 'a'), true}, {"新\\sub\\x 1.dat", std::string(64, 'b'), false}};
    return journal;
}

TEST(InstallJournal, ReadsBackWhatWasWritten) {
    InstallJournal written = TwoFileJournal("版本\n一");
    std::optional<InstallJournal> read = updater::ParseJournal(updater::SerializeJournal(written));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->targetVersion, "1.0.1");
    EXPECT_EQ(read->previousVersion, "版本\n一");
    EXPECT_EQ(read->createdFolders, written.createdFolders);
    ASSERT_EQ(read->entries.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(read->entries[i].path, written.entries[i].path);
        EXPECT_EQ(read->entries[i].sha256, written.entries[i].sha256);
        EXPECT_EQ(read->entries[i].hadInstalled, written.entries[i].hadInstalled);
    }
}

TEST(InstallJournal, RefusesAnythingButAWholeJournal) {
    const std::string whole = updater::SerializeJournal(TwoFileJournal());
    EXPECT_TRUE(updater::ParseJournal(whole).has_value());
    // Every cut short of the last line break loses the end marker.
    for (size_t length = 0; length < whole.size(); ++length)
        EXPECT_FALSE(updater::ParseJournal(whole.substr(0, length)).has_value()) << length;
    for (const std::string& bad : {
             std::string("tovrin-journal 2\ntarget\t31\nprevious\t30\nend\n"),
             std::string("tovrin-journal 1\nprevious\t30\nend\n"),
             std::string("tovrin-journal 1\ntarget\t31\nprevious\t30\nfile\t2\t") + std::string(64, 'a') +
                 "\t61\nend\n",
             std::string("tovrin-journal 1\ntarget\t3\nprevious\t30\nend\n"),
             std::string("tovrin-journal 1\ntarget\t31\nprevious\t30\nend\nfile\t1\t") + std::string(64, 'a') +
                 "\t61\n",
             // Edited by hand: a path out of the game folder, a hash that is no file name, upper-case hex.
             std::string("tovrin-journal 1\ntarget\t31\nprevious\t30\nfile\t1\t") + std::string(64, 'a') +
                 "\t2e2e5c78\nend\n",
             std::string("tovrin-journal 1\ntarget\t31\nprevious\t30\nfolder\t2e2e\nend\n"),
             std::string("tovrin-journal 1\ntarget\t31\nprevious\t30\nfile\t1\t") + std::string(61, 'a') +
                 "\\..\t61\nend\n",
             std::string("tovrin-journal 1\ntarget\t3A\nprevious\t30\nend\n"),
             whole + whole,
             // Lines out of the one order the updater writes.
             std::string("tovrin-journal 1\nprevious\t30\ntarget\t31\nend\n"),
             std::string("tovrin-journal 1\ntarget\t31\nfolder\t61\nprevious\t30\nend\n"),
             std::string("tovrin-journal 1\ntarget\t31\nprevious\t30\nfile\t0\t") + std::string(64, 'a') +
                 "\t61\nfolder\t62\nend\n",
         })
        EXPECT_FALSE(updater::ParseJournal(bad).has_value()) << bad;
}

// The states an install passes through (and a kill can leave), with what the
// next run must do. Entry 0 replaced a file (renamed to its backup, then the
// new one moved in); entry 1 added one.
TEST(InstallJournal, RecoveryFinishesOrRollsBackEveryInterruptedState) {
    const auto R = EntryAction::RestoreBackup, A = EntryAction::SetNewAsideAndRestore, S = EntryAction::SetNewAside,
               D = EntryAction::DeleteBackup, N = EntryAction::Nothing;
    struct Case {
        const char* state;
        bool marker;
        std::optional<std::string> version;
        bool installed0, backup0, installed1, backup1;
        RecoveryOutcome outcome;
        EntryAction action0, action1;
        size_t unexplained;
    } cases[] = {
        {"journal written, nothing moved", false, "1.0.0", true, false, false, false, RecoveryOutcome::RollBack, N, N,
         0},
        {"first file renamed to its backup", false, "1.0.0", false, true, false, false, RecoveryOutcome::RollBack, R, N,
         0},
        {"first new file in place", false, "1.0.0", true, true, false, false, RecoveryOutcome::RollBack, A, N, 0},
        {"second new file in place", false, "1.0.0", true, true, true, false, RecoveryOutcome::RollBack, A, S, 0},
        {"update.ini written under its new name", false, "1.0.0", true, true, true, false, RecoveryOutcome::RollBack, A,
         S, 0},
        {"update.ini replaced: committed", false, "1.0.1", true, true, true, false, RecoveryOutcome::Finish, D, N, 0},
        {"marker written", true, "1.0.1", true, true, true, false, RecoveryOutcome::Finish, D, N, 0},
        {"backup deleted", true, "1.0.1", true, false, true, false, RecoveryOutcome::Finish, N, N, 0},
        {"no update.ini before or after", false, std::nullopt, true, true, true, false, RecoveryOutcome::RollBack, A, S,
         0},
        // Someone removed files meanwhile: what can be done still is.
        {"installed file gone, no backup", false, "1.0.0", false, false, false, false, RecoveryOutcome::RollBack, N, N,
         1},
        {"new file gone after commit", false, "1.0.1", true, false, false, false, RecoveryOutcome::Finish, N, N, 1},
    };
    for (const Case& c : cases) {
        InstallState state;
        state.commitMarkerPresent = c.marker;
        state.installedVersion = c.version;
        state.entries = {{c.installed0, c.backup0}, {c.installed1, c.backup1}};
        updater::RecoveryPlan plan = updater::PlanRecovery(TwoFileJournal(), state);
        EXPECT_EQ(plan.outcome, c.outcome) << c.state;
        EXPECT_EQ(plan.actions, (std::vector<EntryAction>{c.action0, c.action1})) << c.state;
        EXPECT_EQ(plan.unexplained.size(), c.unexplained) << c.state;
    }
}

// A repair (the target version was already installed) cannot tell the commit
// by update.ini: only the marker written after it does.
TEST(InstallJournal, ARepairCommitsOnlyWithTheMarker) {
    InstallJournal repair = TwoFileJournal("1.0.1");
    InstallState state;
    state.installedVersion = "1.0.1";
    state.entries = {{true, true}, {true, false}};
    EXPECT_EQ(updater::PlanRecovery(repair, state).outcome, RecoveryOutcome::RollBack);
    state.commitMarkerPresent = true;
    EXPECT_EQ(updater::PlanRecovery(repair, state).outcome, RecoveryOutcome::Finish);
}

}  // namespace
