// Files in the game folder that the new version no longer lists: the old
// version's files it moved, renamed or dropped (and whatever else the player
// keeps there). Their content may be what a moved or renamed file needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "updater/game_folder_win32.h"
#include "update_format/update_document.h"

namespace updater {

struct UnlistedFile {
    std::wstring path;    // full path
    std::wstring folder;  // relative to the game folder, lower-case; empty at the top
    std::wstring name;    // lower-case
    uint64_t size = 0;
};

// Links are not followed; the updater's own files and the player's settings
// are left out; at most kMostFiles are given.
std::vector<UnlistedFile> FindUnlistedFiles(const GameFolder& folder, const std::vector<ListedFile>& listed);

// Where a listed file would be found among them: folder and name, lower-case.
std::pair<std::wstring, std::wstring> FolderAndName(const ListedFile& file);

}  // namespace updater
