// System functions found at their first call: found in the system folder,
// null for a missing function or DLL, and never taken from a DLL of the same
// name in the program's folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "runtime/late_function_win32.h"
#include "support/probe_dll_win32.h"

namespace {

using Probe = unsigned(WINAPI*)();

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

TEST(LateFunction, FoundInTheSystemFolderOnly) {
    EXPECT_NE(rt::LateFunction<decltype(&::PlaySoundW)>(L"winmm.dll", "PlaySoundW"), nullptr);
    EXPECT_EQ(rt::LateFunction<decltype(&::PlaySoundW)>(L"winmm.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(rt::LateFunction<Probe>(L"no_such_library.dll", "Anything"), nullptr);

    // A DLL planted beside the program is what a plain LoadLibrary would take.
    const std::wstring planted = ProgramFolder() + L"\\lumadrel_late_probe.dll";
    ASSERT_TRUE(rt::testing::WriteProbeDll(planted));
    EXPECT_EQ(rt::LateFunction<Probe>(L"lumadrel_late_probe.dll", rt::testing::kProbeExportName), nullptr);
    HMODULE plain = LoadLibraryW(L"lumadrel_late_probe.dll");
    EXPECT_NE(plain, nullptr) << "the planted DLL loads from the program's folder";
    if (plain) FreeLibrary(plain);
    DeleteFileW(planted.c_str());
}

}  // namespace
