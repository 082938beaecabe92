#include "support/scratch_folder_win32.h"

#include <windows.h>

#include "runtime/text_conversion_win32.h"
#include "updater/game_folder_win32.h"

namespace updater::testing {
namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void Collect(const std::wstring& folder, const std::string& prefix, const std::string& skip,
             std::map<std::string, std::string>* files) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::string relative = prefix + rt::GbkFromWide(name);
        if (prefix.empty() && relative == skip) continue;
        std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*files)[relative + "\\"] = std::string();
            Collect(path, relative + "\\", skip, files);
        } else {
            std::string bytes;
            ReadSmallFile(path, &bytes, 1 << 30);
            (*files)[relative] = bytes;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::wstring Joined(const std::wstring& root, const std::string& relative) {
    std::wstring path = root + L"\\" + rt::WideFromGbk(relative);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

}  // namespace

ScratchFolder::ScratchFolder() {
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    static int counter = 0;
    path_ = std::wstring(temporary) + L"lumadrel-updater-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RemoveTree(path_);
    CreateFolders(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

void ScratchFolder::Write(const std::string& relative, const std::string& bytes) const {
    std::wstring path = Joined(path_, relative);
    CreateFolders(path.substr(0, path.find_last_of(L'\\')));
    WriteFileWhole(path, bytes);
}

std::string ScratchFolder::Read(const std::string& relative) const {
    std::string bytes;
    ReadSmallFile(Joined(path_, relative), &bytes, 1 << 30);
    return bytes;
}

bool ScratchFolder::Exists(const std::string& relative) const { return Inspect(Joined(path_, relative)).exists; }

std::map<std::string, std::string> ScratchFolder::Files(const std::string& skip) const {
    std::map<std::string, std::string> files;
    Collect(path_, std::string(), skip, &files);
    return files;
}

}  // namespace updater::testing
