// Where the updater reads and writes: the installed files of the game folder
// and its own work folder inside it (staged downloads, backups, the journal).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "updater/launcher_name_win32.h"

namespace updater {

struct FileFacts {
    bool exists = false;
    bool isFolder = false;
    bool isLink = false;  // a reparse point: may lead outside the game folder
    uint64_t size = 0;
};

FileFacts Inspect(const std::wstring& path);

class GameFolder {
public:
    // `root` without a trailing backslash.
    GameFolder() = default;
    explicit GameFolder(std::wstring root) : root_(std::move(root)) {}
    // The folder that holds the running program.
    static GameFolder OfThisProgram();

    const std::wstring& Root() const { return root_; }
    // A listed file (normalised GBK path) in the game folder.
    std::wstring Installed(std::string_view path) const;
    std::wstring UpdateIni() const { return root_ + L"\\update.ini"; }
    // The highest sequence number verified per key: outside the work folder, so an install keeps it.
    std::wstring SequenceFile() const;
    std::wstring Launcher() const { return root_ + L"\\" + LauncherFileName(); }

    std::wstring Work() const;
    std::wstring StagingFolder() const { return Work() + L"\\staged"; }
    // A verified-size download, named by the file's SHA-256, and its partial form.
    std::wstring Staged(std::string_view sha256) const;
    std::wstring Partial(std::string_view sha256) const { return Staged(sha256) + L".part"; }
    // A file being assembled from chunks (full size, filled in any order), and its chunk index.
    std::wstring Assembling(std::string_view sha256) const { return Staged(sha256) + L".delta"; }
    std::wstring StagedIndex(std::string_view sha256) const { return Staged(sha256) + L".chunks"; }
    std::wstring BackupFolder() const { return Work() + L"\\backup"; }
    std::wstring Backup(size_t entry) const { return BackupFolder() + L"\\" + std::to_wstring(entry); }
    std::wstring Journal() const { return Work() + L"\\journal"; }
    std::wstring CommitMarker() const { return Work() + L"\\committed"; }
    // update.ini as it will be after the commit, written whole before it replaces the installed one.
    std::wstring NewUpdateIni() const { return Work() + L"\\update.ini.new"; }

private:
    std::wstring root_;
};

// Creates a folder and any missing folders above it inside the game folder.
bool CreateFolders(const std::wstring& path);

// Reads a whole (small) file; false when it cannot be read.
bool ReadSmallFile(const std::wstring& path, std::string* bytes, size_t limit);

// Creates (or empties) the file, writes `bytes` and flushes them to disk.
// Gives the Windows error code, 0 on success.
unsigned long WriteFileWhole(const std::wstring& path, std::string_view bytes);

// Writes `bytes` to path + ".new", flushes it to disk and renames it over
// `path`, so readers see the old or the new file whole. Gives the Windows
// error code, 0 on success.
unsigned long ReplaceFileWhole(const std::wstring& path, std::string_view bytes);

}  // namespace updater
