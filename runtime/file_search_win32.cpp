// Miscellaneous services 0 and 1: a file search one match at a time.
#include <windows.h>

#include "runtime/entry_points.h"
#include "runtime/text_conversion_win32.h"
#include "runtime/values.h"

namespace rt {
namespace {

// The attribute bits a search filters on: read-only, hidden, system,
// directory, archive.
constexpr DWORD kFilterBits = 0x37;

bool Matches(const WIN32_FIND_DATAW& entry, uint32_t mask, bool anyAttribute) {
    if (anyAttribute) return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    DWORD attributes = entry.dwFileAttributes & kFilterBits;
    mask &= kFilterBits;
    if (mask == 0) return attributes == 0;
    return (attributes & mask) != 0;
}

}  // namespace

char* FindNextMatchingFile(const char* pattern, uint32_t attributeMask, bool anyAttribute, uintptr_t* searchHandle) {
    uintptr_t dummy = 0;
    if (!searchHandle) searchHandle = &dummy;
    HANDLE search = reinterpret_cast<HANDLE>(*searchHandle);
    WIN32_FIND_DATAW entry;
    bool found;
    if (pattern && pattern[0]) {
        if (search) FindClose(search);
        search = FindFirstFileW(WideFromGbk(pattern).c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) search = nullptr;
        *searchHandle = reinterpret_cast<uintptr_t>(search);
        found = search != nullptr;
    } else {
        found = search && FindNextFileW(search, &entry);
    }
    while (found) {
        // A plain-attribute file reports FILE_ATTRIBUTE_NORMAL, which counts as none.
        if (entry.dwFileAttributes == FILE_ATTRIBUTE_NORMAL) entry.dwFileAttributes = 0;
        if (Matches(entry, attributeMask, anyAttribute)) return CopyText(GbkFromWide(entry.cFileName));
        found = FindNextFileW(search, &entry);
    }
    if (search) FindClose(search);
    *searchHandle = 0;
    return nullptr;
}

void CloseFileSearch(uintptr_t searchHandle) {
    if (searchHandle) FindClose(reinterpret_cast<HANDLE>(searchHandle));
}

}  // namespace rt
