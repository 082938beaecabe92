// Miscellaneous services 0 and 1: finding files one at a time with the
// attribute filter.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "runtime/entry_points.h"
#include "runtime/text_conversion_win32.h"
#include "runtime/values.h"

namespace {

class FileSearch : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"lumadrel-search-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        Make(L"plain.txt", FILE_ATTRIBUTE_NORMAL);
        Make(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        Make(L"readonly.txt", FILE_ATTRIBUTE_READONLY);
        Make(L"中文.txt", FILE_ATTRIBUTE_NORMAL);
        CreateDirectoryW((folder_ + L"\\sub.txt").c_str(), nullptr);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"plain.txt", L"hidden.txt", L"readonly.txt", L"中文.txt"}) {
            std::wstring path = folder_ + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
        RemoveDirectoryW((folder_ + L"\\sub.txt").c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    void Make(const wchar_t* name, DWORD attributes) {
        std::wstring path = folder_ + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
        CloseHandle(file);
        SetFileAttributesW(path.c_str(), attributes);
    }
    std::set<std::string> FindAll(uint32_t mask, bool any) {
        std::set<std::string> names;
        uintptr_t handle = 0;
        std::string pattern = rt::GbkFromWide(folder_ + L"\\*.txt");
        for (char* name = rt::FindNextMatchingFile(pattern.c_str(), mask, any, &handle); name;
             name = rt::FindNextMatchingFile(nullptr, mask, any, &handle)) {
            names.insert(name);
            rt::Free(name);
        }
        EXPECT_EQ(handle, 0u) << "the search handle is closed and zeroed at the end";
        return names;
    }
    std::wstring folder_;
};

TEST_F(FileSearch, AnyAttributeListsEveryFileButNoDirectory) {
    EXPECT_EQ(FindAll(0, true), (std::set<std::string>{"plain.txt", "hidden.txt", "readonly.txt", "中文.txt"}));
}

TEST_F(FileSearch, MaskSelectsByAttributeAndZeroMeansNone) {
    EXPECT_EQ(FindAll(FILE_ATTRIBUTE_HIDDEN, false), (std::set<std::string>{"hidden.txt"}));
    EXPECT_EQ(FindAll(FILE_ATTRIBUTE_DIRECTORY, false), (std::set<std::string>{"sub.txt"}));
    // A zero mask wants files without any of the filtered attributes; whether a
    // fresh file carries the archive bit is the file system's business.
    std::set<std::string> bare;
    for (const char* name : {"plain.txt", "hidden.txt", "readonly.txt", "中文.txt"}) {
        DWORD attributes = GetFileAttributesW((folder_ + L"\\" + rt::WideFromGbk(name)).c_str());
        if ((attributes & 0x37) == 0) bare.insert(name);
    }
    EXPECT_EQ(FindAll(0, false), bare);
}

TEST(FileSearchWithoutPattern, NoOpenSearchGivesNull) {
    uintptr_t handle = 0;
    EXPECT_EQ(rt::FindNextMatchingFile(nullptr, 0, true, &handle), nullptr);
    EXPECT_EQ(rt::FindNextMatchingFile("", 0, true, &handle), nullptr);
    rt::CloseFileSearch(0);  // null is ignored
}

}  // namespace
