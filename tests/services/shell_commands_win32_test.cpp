// Process and shell commands under Wine: special folders, shortcut files read
// back through the shell, files run through the shell, the process list and
// the message-pumping delay.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/runtime_memory.h"
#include "runtime/text_conversion_win32.h"
#include "runtime/values.h"
#include "services/shell_commands.h"
#include "services/tick_source.h"

namespace {

using services::ProcessInfo;

// A copy of this executable started by RunFile records how it was started
// and ends before any test runs.
constexpr wchar_t kRecordVariable[] = L"LUMADREL_RUNFILE_RECORD";

bool RecordStartupWhenAsked() {
    wchar_t recordPath[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(kRecordVariable, recordPath, MAX_PATH)) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    std::wstring record = std::to_wstring((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1) +
                          L"\n" + directory + L"\n" + GetCommandLineW();
    std::string bytes = rt::GbkFromWide(record);
    std::wstring partial = std::wstring(recordPath) + L".part";
    if (FILE* file = _wfopen(partial.c_str(), L"wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        MoveFileW(partial.c_str(), recordPath);
    }
    ExitProcess(0);
}
const bool kStartedToRecord = RecordStartupWhenAsked();

std::wstring SelfPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// A fresh directory with a Chinese name under the temporary folder.
class TempDirectory {
public:
    TempDirectory() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"快捷测试_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(GetTickCount());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempDirectory() { Remove(path_); }
    const std::wstring& Wide() const { return path_; }
    std::string Gbk() const { return rt::GbkFromWide(path_); }

private:
    static void Remove(const std::wstring& directory) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring full = directory + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(full);
                else DeleteFileW(full.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(directory.c_str());
    }
    std::wstring path_;
};

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command with the given arguments (null pointers: omitted texts).
rt::ValueRecord Call(void (*command)(rt::ValueRecord*, int, rt::ValueRecord*), std::vector<rt::ValueRecord> values) {
    rt::ValueRecord result{};
    command(&result, static_cast<int>(values.size()), values.data());
    return result;
}

std::string TakeText(const rt::ValueRecord& result) {
    EXPECT_EQ(result.type, rt::kTypeText);
    const char* text = rt::AsText(result);
    std::string copy = text ? text : "";
    rt::Free(const_cast<char*>(text));
    return copy;
}

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

// --- special folders ---------------------------------------------------------

TEST(GetSpecialFolder, KnownCodesEndInOneBackslash) {
    for (int code = 1; code <= 11; ++code) {
        std::string path = TakeText(Call(services::GetSpecialFolder, {rt::MakeInteger(code)}));
        ASSERT_GE(path.size(), 2u) << code;
        EXPECT_EQ(path.back(), '\\') << code;
        EXPECT_NE(path[path.size() - 2], '\\') << code;
    }
}

TEST(GetSpecialFolder, DesktopIsTheDesktopDirectory) {
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
    EXPECT_EQ(TakeText(Call(services::GetSpecialFolder, {rt::MakeInteger(3)})),
              rt::GbkFromWide(desktop) + "\\");
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(TakeText(Call(services::GetSpecialFolder, {rt::MakeInteger(9)})), rt::GbkFromWide(windows) + "\\");
}

TEST(GetSpecialFolder, OtherCodesGiveEmptyText) {
    for (int code : {0, 12, -1, 16})
        EXPECT_EQ(rt::AsText(Call(services::GetSpecialFolder, {rt::MakeInteger(code)})), nullptr) << code;
    EXPECT_EQ(rt::AsText(Call(services::GetSpecialFolder, {})), nullptr);
}

// --- shortcuts ---------------------------------------------------------------

struct LinkContents {
    std::string path, description, arguments, workingDirectory;
};

// Reads a shortcut file back through the ANSI shell-link interface.
bool ReadLink(const std::wstring& file, LinkContents* contents) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* persist = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
              SUCCEEDED(persist->Load(file.c_str(), STGM_READ));
    if (ok) {
        char buffer[MAX_PATH * 2] = {};
        link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH);
        contents->path = buffer;
        buffer[0] = 0;
        link->GetDescription(buffer, sizeof buffer);
        contents->description = buffer;
        buffer[0] = 0;
        link->GetArguments(buffer, sizeof buffer);
        contents->arguments = buffer;
        buffer[0] = 0;
        link->GetWorkingDirectory(buffer, sizeof buffer);
        contents->workingDirectory = buffer;
    }
    if (persist) persist->Release();
    link->Release();
    return ok;
}

class CreateShortcut : public ComTest {
protected:
    bool Create(const std::string& name, std::vector<const char*> rest) {
        std::vector<rt::ValueRecord> values = {rt::MakeText(name.c_str()), rt::MakeText(target_.c_str())};
        for (const char* text : rest) values.push_back(rt::MakeText(text));
        rt::ValueRecord result = Call(services::CreateShortcut, values);
        EXPECT_EQ(result.type, rt::kTypeBool);
        return rt::AsBool(result);
    }
    TempDirectory directory_;
    std::string target_ = rt::GbkFromWide(SelfPath());
};

TEST_F(CreateShortcut, ExtensionIsAddedOnlyToNamesWithoutADot) {
    CreateDirectoryW((directory_.Wide() + L"\\子.目录").c_str(), nullptr);
    struct Case {
        std::string name;
        std::wstring expectedFile;
        std::wstring absentFile;
    } cases[] = {
        {"\\启动器", L"\\启动器.lnk", L"\\启动器"},
        {"\\keep.lnk", L"\\keep.lnk", L"\\keep.lnk.lnk"},
        {"\\子.目录\\plain", L"\\子.目录\\plain", L"\\子.目录\\plain.lnk"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Create(directory_.Gbk() + c.name, {"描述"})) << c.name;
        EXPECT_TRUE(FileExists(directory_.Wide() + c.expectedFile)) << c.name;
        EXPECT_FALSE(FileExists(directory_.Wide() + c.absentFile)) << c.name;
    }
}

TEST_F(CreateShortcut, WritesTargetAndDescription) {
    ASSERT_TRUE(Create(directory_.Gbk() + "\\link", {"游戏启动器"}));
    LinkContents contents;
    ASSERT_TRUE(ReadLink(directory_.Wide() + L"\\link.lnk", &contents));
    EXPECT_EQ(contents.path, target_);
    EXPECT_EQ(contents.description, "游戏启动器");
}

TEST_F(CreateShortcut, ArgumentsAndDirectoryApplyOnlyWithFiveArguments) {
    ASSERT_TRUE(Create(directory_.Gbk() + "\\four", {"d", "-four"}));
    ASSERT_TRUE(Create(directory_.Gbk() + "\\five", {"d", "-five", "C:\\工作"}));
    LinkContents four, five;
    ASSERT_TRUE(ReadLink(directory_.Wide() + L"\\four.lnk", &four));
    ASSERT_TRUE(ReadLink(directory_.Wide() + L"\\five.lnk", &five));
    EXPECT_EQ(four.arguments, "");
    EXPECT_EQ(four.workingDirectory, "");
    EXPECT_EQ(five.arguments, "-five");
    EXPECT_EQ(five.workingDirectory, "C:\\工作");
}

TEST_F(CreateShortcut, ExistingFileIsOverwritten) {
    ASSERT_TRUE(Create(directory_.Gbk() + "\\again", {"first"}));
    ASSERT_TRUE(Create(directory_.Gbk() + "\\again", {"second"}));
    LinkContents contents;
    ASSERT_TRUE(ReadLink(directory_.Wide() + L"\\again.lnk", &contents));
    EXPECT_EQ(contents.description, "second");
}

TEST_F(CreateShortcut, UnwritableLocationOrNoNameGivesFalse) {
    EXPECT_FALSE(Create(directory_.Gbk() + "\\no such folder\\link", {}));
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(directory_.Wide().c_str());
    EXPECT_FALSE(Create("", {}));
    EXPECT_FALSE(FileExists(directory_.Wide() + L"\\.lnk"));
    SetCurrentDirectoryW(current);
}

// --- running files -----------------------------------------------------------

class RunFile : public ::testing::Test {
protected:
    void SetUp() override {
        record_ = directory_.Wide() + L"\\record.txt";
        SetEnvironmentVariableW(kRecordVariable, record_.c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(kRecordVariable, nullptr); }

    int32_t Run(std::vector<rt::ValueRecord> values) {
        rt::ValueRecord result = Call(services::RunFile, values);
        EXPECT_EQ(result.type, rt::kTypeInteger);
        return rt::AsInteger(result);
    }
    // Show command, current directory and command line of the started copy.
    std::vector<std::string> WaitForRecord() {
        // The child renames its record into place; until its rename handle is
        // closed the file shows but cannot be opened, so the open is retried.
        std::string bytes;
        for (int i = 0; i < 300; ++i, Sleep(100)) {
            FILE* file = _wfopen(record_.c_str(), L"rb");
            if (!file) continue;
            char buffer[4096];
            bytes.assign(buffer, std::fread(buffer, 1, sizeof buffer, file));
            std::fclose(file);
            break;
        }
        DeleteFileW(record_.c_str());
        std::stringstream text(bytes);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(text, line)) lines.push_back(line);
        return lines;
    }

    TempDirectory directory_;
    std::wstring record_;
    std::string self_ = rt::GbkFromWide(SelfPath());
};

TEST_F(RunFile, ShowModesMapToShowCommands) {
    struct Case {
        int operation;
        int argumentCount;
        int showMode;
        int expectedShow;
    } cases[] = {
        {4, 5, 4, SW_SHOWMAXIMIZED}, {4, 5, 1, SW_HIDE},       {0, 5, 7, SW_SHOWNORMAL},
        {99, 5, 3, SW_SHOWMINIMIZED}, {4, 4, 3, SW_SHOWNORMAL},  // the show mode is read only with five
    };
    const std::string directory = directory_.Gbk();
    for (const Case& c : cases) {
        std::vector<rt::ValueRecord> values = {rt::MakeInteger(c.operation), rt::MakeText(self_.c_str()),
                                               rt::MakeText("--child"), rt::MakeText(directory.c_str()),
                                               rt::MakeInteger(c.showMode)};
        values.resize(c.argumentCount);
        ASSERT_GT(Run(values), 32) << c.operation << "/" << c.showMode;
        std::vector<std::string> record = WaitForRecord();
        ASSERT_EQ(record.size(), 3u) << c.operation << "/" << c.showMode;
        EXPECT_EQ(record[0], std::to_string(c.expectedShow)) << c.operation << "/" << c.showMode;
        EXPECT_EQ(record[1], directory);
        EXPECT_NE(record[2].find("--child"), std::string::npos) << record[2];
    }
}

TEST_F(RunFile, FailureGivesTheShellsErrorValue) {
    std::string missing = directory_.Gbk() + "\\missing.exe";
    EXPECT_EQ(Run({rt::MakeInteger(4), rt::MakeText(missing.c_str())}), SE_ERR_FNF);
    EXPECT_LE(Run({rt::MakeInteger(4), rt::MakeText(nullptr)}), 32);
}

// --- processes ----------------------------------------------------------------

TEST(ListProcesses, ContainsTheCallingProcess) {
    rt::ValueRecord result = Call(services::ListProcesses, {});
    ASSERT_TRUE(rt::IsArrayType(result.type));
    void* array = rt::PayloadPointer(result);
    ASSERT_EQ(rt::ArrayDimensions(array), 1u);
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(array, &first);
    ASSERT_GT(count, 1u);

    std::wstring self = SelfPath();
    std::string selfName = rt::GbkFromWide(self.substr(self.find_last_of(L'\\') + 1));
    const ProcessInfo* found = nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        const ProcessInfo* info;
        std::memcpy(&info, first + i * sizeof info, sizeof info);
        ASSERT_NE(info, nullptr);
        if (static_cast<DWORD>(info->processId) == GetCurrentProcessId()) found = info;
    }
    ASSERT_NE(found, nullptr);
    ASSERT_NE(found->processName, nullptr);
    EXPECT_STRCASEEQ(found->processName, selfName.c_str());
    EXPECT_GE(found->threadCount, 1);
    EXPECT_NE(found->parentProcessId, found->processId);
    services::FreeProcessList(array);
}

// --- delay ----------------------------------------------------------------------

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

// A clock that moves 100 ms at every reading, so a delay's end is decided by
// the readings it took, not by how busy the machine is.
uint32_t g_steppedNow = 0;
int g_clockReadings = 0;
uint32_t SteppedClock() {
    ++g_clockReadings;
    return g_steppedNow += 100;
}

struct SteppedTime {
    SteppedTime() {
        g_clockReadings = 0;
        services::ReplaceTickSource(SteppedClock);
    }
    ~SteppedTime() { services::ReplaceTickSource(nullptr); }
};

TEST(Delay, KeepsDispatchingMessagesUntilTheDelayHasPassed) {
    // The second start makes the clock wrap past 2^32 during the delay.
    for (uint32_t clockStart : {0x10000u, 0xFFFFFF80u}) {
        SteppedTime time;
        g_steppedNow = clockStart;
        g_ticks = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 5, CountTick);
        ASSERT_NE(timer, 0u);
        Call(services::Delay, {rt::MakeInteger(1000)});
        KillTimer(nullptr, timer);
        // One reading to start, then one per wake-up until more than 1000 ms have passed.
        EXPECT_EQ(g_clockReadings, 12) << std::hex << clockStart;
        EXPECT_GE(g_ticks, 5) << "the timer's messages are dispatched while waiting";
    }
}

TEST(Delay, ZeroOrNegativeReturnsAtOnceWithoutDispatching) {
    SteppedTime time;
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 1, CountTick);
    Sleep(50);  // a tick is due
    for (int milliseconds : {0, -5}) Call(services::Delay, {rt::MakeInteger(milliseconds)});
    Call(services::Delay, {});
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_clockReadings, 0);
    EXPECT_EQ(g_ticks, 0);
}

}  // namespace
