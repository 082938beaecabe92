#include "updater/game_folder_win32.h"

#include <windows.h>

#include "runtime/text_conversion_win32.h"
#include "update_format/entry_paths.h"

namespace updater {

FileFacts Inspect(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FileFacts facts;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return facts;
    facts.exists = true;
    facts.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    facts.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return facts;
}

GameFolder GameFolder::OfThisProgram() {
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (length < module.size()) {
            module.resize(length);
            break;
        }
        module.resize(module.size() * 2);
    }
    return GameFolder(module.substr(0, module.find_last_of(L'\\')));
}

std::wstring GameFolder::Installed(std::string_view path) const { return root_ + L"\\" + rt::WideFromGbk(path); }

std::wstring GameFolder::SequenceFile() const { return root_ + L"\\" + rt::WideFromGbk(kSequenceFileName); }

std::wstring GameFolder::Work() const { return root_ + L"\\" + rt::WideFromGbk(kWorkFolderName); }

std::wstring GameFolder::Staged(std::string_view sha256) const {
    return StagingFolder() + L"\\" + std::wstring(sha256.begin(), sha256.end());
}

bool CreateFolders(const std::wstring& path) {
    FileFacts facts = Inspect(path);
    if (facts.exists) return facts.isFolder;
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2 && !CreateFolders(path.substr(0, slash))) return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool ReadSmallFile(const std::wstring& path, std::string* bytes, size_t limit) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buffer[4096];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr)) && read > 0) {
        if (bytes->size() + read > limit) {
            ok = false;
            break;
        }
        bytes->append(buffer, read);
    }
    CloseHandle(file);
    return ok;
}

unsigned long WriteFileWhole(const std::wstring& path, std::string_view bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(file);
    DWORD error = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (error != 0) DeleteFileW(path.c_str());
    return error;
}

unsigned long ReplaceFileWhole(const std::wstring& path, std::string_view bytes) {
    std::wstring next = path + L".new";
    if (DWORD error = WriteFileWhole(next, bytes); error != 0) return error;
    if (MoveFileExW(next.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    DWORD error = GetLastError();
    DeleteFileW(next.c_str());
    return error;
}

}  // namespace updater
