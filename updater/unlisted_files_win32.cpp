#include "updater/unlisted_files_win32.h"

#include <windows.h>

#include <set>

#include "common/update_ini.h"
#include "runtime/text_conversion_win32.h"

namespace updater {
namespace {

constexpr int kDeepestFolder = 32;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    return text;
}

struct Walk {
    const GameFolder& folder;
    const std::set<std::wstring>& listed;  // lower-case relative paths
    std::vector<UnlistedFile> found;

    void Folder(const std::wstring& relative, int depth) {
        if (depth > kDeepestFolder) return;
        const std::wstring full = relative.empty() ? folder.Root() : folder.Root() + L"\\" + relative;
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW((full + L"\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
            const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                const bool workFolder = relative.empty() && Lower(name) == Lower(rt::WideFromGbk(kWorkFolderName));
                if (!workFolder) Folder(path, depth + 1);
                continue;
            }
            if (listed.count(Lower(path)) || found.size() >= kMostFiles) continue;
            const uint64_t size = (uint64_t(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            found.push_back({full + L"\\" + name, Lower(relative), Lower(name), size});
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
};

}  // namespace

std::vector<UnlistedFile> FindUnlistedFiles(const GameFolder& folder, const std::vector<ListedFile>& files) {
    std::set<std::wstring> listed;
    for (const ListedFile& file : files) listed.insert(Lower(rt::WideFromGbk(file.path)));
    for (std::string_view own : {common::kUpdateIniFileName, std::string_view("duzo.ini"), kSequenceFileName})
        listed.insert(Lower(rt::WideFromGbk(own)));
    Walk walk{folder, listed, {}};
    walk.Folder(std::wstring(), 0);
    return std::move(walk.found);
}

std::pair<std::wstring, std::wstring> FolderAndName(const ListedFile& file) {
    std::wstring path = Lower(rt::WideFromGbk(file.path));
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {std::wstring(), path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace updater
