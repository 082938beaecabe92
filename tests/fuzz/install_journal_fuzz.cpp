// fuzz-sources: updater/install_journal.cpp update_format/entry_paths.cpp
// fuzz-libraries:
// fuzz-seeds: tests/data/updates/journal.txt
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "updater/install_journal.h"

// A journal is read whole or not at all, reads back the same once written
// again, and any state of its entries gives one action per entry.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::optional<updater::InstallJournal> journal = updater::ParseJournal(input);
    if (!journal) return 0;
    if (updater::SerializeJournal(*journal) != input) __builtin_trap();
    updater::InstallState state;
    for (size_t i = 0; i < journal->entries.size(); ++i) state.entries.push_back({(i & 1) != 0, (i & 2) != 0});
    state.installedVersion = journal->targetVersion;
    updater::RecoveryPlan plan = updater::PlanRecovery(*journal, state);
    if (plan.actions.size() != journal->entries.size()) __builtin_trap();
    return 0;
}
