#include "updater/updater_lock_win32.h"

#include <windows.h>

#include <cstdint>

namespace updater {
namespace {

// The mutex's name: the folder's full path, case folded, hashed (names are
// limited in length and may not hold backslashes).
std::wstring MutexName(const std::wstring& folder) {
    wchar_t full[MAX_PATH * 2] = {};
    std::wstring path = folder;
    if (GetFullPathNameW(folder.c_str(), MAX_PATH * 2, full, nullptr) > 0) path = full;
    CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t c : path) {
        hash ^= static_cast<uint16_t>(c);
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    wsprintfW(name, L"Local\\LumadrelUpdater-%08lx%08lx", static_cast<unsigned long>(hash >> 32),
              static_cast<unsigned long>(hash & 0xFFFFFFFF));
    return name;
}

}  // namespace

UpdaterLock::UpdaterLock(const std::wstring& gameFolder) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(gameFolder).c_str());
    if (!mutex) return;
    // An updater that was killed leaves the mutex abandoned: it is ours then.
    DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        mutex_ = mutex;
        held_ = true;
    } else {
        CloseHandle(mutex);
    }
}

UpdaterLock::~UpdaterLock() {
    if (!mutex_) return;
    ReleaseMutex(static_cast<HANDLE>(mutex_));
    CloseHandle(static_cast<HANDLE>(mutex_));
}

}  // namespace updater
