// The install on real files under Wine: interrupted after any step, the next
// run leaves exactly the old files with the old version or exactly the new
// files with the new one; a failed step restores everything.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "support/scratch_folder_win32.h"
#include "updater/installer_win32.h"

namespace {

using updater::InstallItem;
using updater::InstallFailure;
using updater::InstallStatus;
using updater::Installer;
using updater::RecoveryKind;
using updater::testing::ScratchFolder;
using Files = std::map<std::string, std::string>;

const std::string kWork = "tovrin.update";

const Files kOldSet = {
    {"Lumadrel.exe", "launcher 1.0.0"},
    {"data\\", ""},
    {"data\\map01.dat", "map 1.0.0"},
    {"data\\same.dat", "unchanged"},
    {"update.ini", "[更新配置]\r\n当前版本=1.0.0\r\n"},
};

const Files kNewSet = {
    {"Lumadrel.exe", "launcher 1.0.1, longer"},
    {"data\\", ""},
    {"data\\map01.dat", "map 1.0.1"},
    {"data\\same.dat", "unchanged"},
    {"新\\", ""},
    {"新\\地图\\", ""},
    {"新\\地图\\added.dat", "added in 1.0.1"},
    {"update.ini", "[更新配置]\r\n当前版本=1.0.1\r\n"},
};

// The old set installed and the new files staged, as a run leaves them before installing.
std::vector<InstallItem> Prepare(const ScratchFolder& folder) {
    for (const auto& [path, bytes] : kOldSet)
        if (path.back() != '\\') folder.Write(path, bytes);
    updater::GameFolder game(folder.Path());
    std::vector<InstallItem> items;
    char name = 'a';
    for (const char* path : {"Lumadrel.exe", "data\\map01.dat", "新\\地图\\added.dat"}) {
        std::string hash(64, name++);
        folder.Write(kWork + "\\staged\\" + hash, kNewSet.at(path));
        items.push_back({path, hash, game.Staged(hash)});
    }
    return items;
}

TEST(Installer, InstallsTheNewSetAndLeavesNothingOfItsOwn) {
    ScratchFolder folder;
    std::vector<InstallItem> items = Prepare(folder);
    EXPECT_TRUE(Installer(updater::GameFolder(folder.Path())).Install("1.0.1", items));
    EXPECT_EQ(folder.Files(), kNewSet);

    // The launcher reads the version with the INI functions, in GBK.
    char version[64] = {};
    std::wstring ini = folder.Path() + L"\\update.ini";
    std::string iniPath(ini.begin(), ini.end());
    GetPrivateProfileStringA("更新配置", "当前版本", "", version, sizeof version, iniPath.c_str());
    EXPECT_STREQ(version, "1.0.1");
}

TEST(Installer, AnInterruptionAtAnyStepEndsInTheOldOrTheNewSetWhole) {
    int points = 0;
    bool committed = false;
    for (int stopAt = 1;; ++stopAt) {
        ScratchFolder folder;
        std::vector<InstallItem> items = Prepare(folder);
        auto first = Installer(updater::GameFolder(folder.Path()), [&](int point) {
                                  points = std::max(points, point);
                                  return point != stopAt;
                              }).Install("1.0.1", items);
        if (first) break;
        ASSERT_EQ(first.error().status, InstallStatus::Interrupted) << stopAt;

        auto next = Installer(updater::GameFolder(folder.Path())).Recover();
        ASSERT_TRUE(next) << stopAt;
        Files found = folder.Files(kWork);
        if (found == kNewSet) {
            committed = true;
            EXPECT_NE(*next, RecoveryKind::RolledBack) << stopAt;
            EXPECT_FALSE(folder.Exists(kWork)) << stopAt;
        } else {
            // Once committed, never rolled back by a later step.
            EXPECT_FALSE(committed) << "stopped after step " << stopAt << ", the install was rolled back";
            EXPECT_EQ(found, kOldSet) << "stopped after step " << stopAt;
            EXPECT_EQ(*next, RecoveryKind::RolledBack) << stopAt;
            // The new files wait in the staging folder for the next run.
            for (const InstallItem& item : items)
                EXPECT_EQ(folder.Read(kWork + "\\staged\\" + item.sha256), kNewSet.at(item.path)) << stopAt;
        }
    }
    EXPECT_TRUE(committed);
    EXPECT_GE(points, 10);
}

TEST(Installer, AFileInUseRollsTheInstallBackAndIsNamed) {
    ScratchFolder folder;
    std::vector<InstallItem> items = Prepare(folder);
    // Opened without sharing deletion: it cannot be renamed to its backup.
    HANDLE held = CreateFileW((folder.Path() + L"\\data\\map01.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    auto installed = Installer(updater::GameFolder(folder.Path())).Install("1.0.1", items);
    CloseHandle(held);
    ASSERT_FALSE(installed);
    const InstallFailure& failure = installed.error();
    EXPECT_EQ(failure.status, InstallStatus::Failed);
    EXPECT_EQ(failure.file, "data\\map01.dat");
    EXPECT_TRUE(failure.systemError == ERROR_SHARING_VIOLATION || failure.systemError == ERROR_ACCESS_DENIED)
        << failure.systemError;
    EXPECT_EQ(failure.recovery, RecoveryKind::RolledBack);
    EXPECT_EQ(folder.Files(kWork), kOldSet);
    // A retry once the file is free goes through.
    EXPECT_TRUE(Installer(updater::GameFolder(folder.Path())).Install("1.0.1", items));
    EXPECT_EQ(folder.Files(), kNewSet);
}

TEST(Installer, AnUnreadableJournalChangesNothing) {
    ScratchFolder folder;
    std::vector<InstallItem> items = Prepare(folder);
    Installer stopped(updater::GameFolder(folder.Path()), [](int point) { return point < 4; });
    EXPECT_FALSE(stopped.Install("1.0.1", items));
    std::string journal = folder.Read(kWork + "\\journal");
    folder.Write(kWork + "\\journal", journal.substr(0, journal.size() / 2));
    Files before = folder.Files();
    auto recovered = Installer(updater::GameFolder(folder.Path())).Recover();
    ASSERT_FALSE(recovered);
    EXPECT_EQ(recovered.error().status, InstallStatus::Failed);
    EXPECT_TRUE(recovered.error().journalUnreadable);
    EXPECT_EQ(folder.Files(), before);
}

TEST(Installer, WithoutAJournalOnlyLeftoversGoAndStagedDownloadsStay) {
    ScratchFolder folder;
    Prepare(folder);
    folder.Write(kWork + "\\backup\\0", "an old updater left behind");
    folder.Write(kWork + "\\committed", "");
    folder.Write(kWork + "\\staged\\partial.part", "half");
    Files before = folder.Files();
    EXPECT_EQ(Installer(updater::GameFolder(folder.Path())).Recover().value(), RecoveryKind::NothingToDo);
    Files after = folder.Files();
    EXPECT_EQ(after.count(kWork + "\\backup\\0"), 0u);
    EXPECT_EQ(after.count(kWork + "\\committed"), 0u);
    EXPECT_EQ(after.at(kWork + "\\staged\\partial.part"), "half");
    EXPECT_EQ(after.size(), before.size() - 3);  // the two files and the backup folder
}

}  // namespace
