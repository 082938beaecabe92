// Declared system-library commands: binding by search order, per-index caches,
// ordinals, the two failure messages, and the stack check after the call.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/dll_call_win32.h"
#include "runtime/dll_commands.h"
#include "runtime/text_conversion_win32.h"
#include "support/error_capture.h"
#include "support/probe_dll_win32.h"

namespace {

using rt::CallConvention;
using rt::testing::CapturedError;
using rt::testing::ErrorCapture;
using rt::testing::kProbeExportName;
using rt::testing::kProbeExportResult;

constexpr uint32_t kSubroutine = 0x040136D5;
constexpr uint32_t kStatement = 18;

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

// Ordinal under which the module exports `name`, read from its export directory.
int ExportOrdinal(HMODULE module, const char* name) {
    auto base = reinterpret_cast<const uint8_t*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    auto ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        if (std::strcmp(reinterpret_cast<const char*>(base + names[i]), name) == 0)
            return static_cast<int>(exports->Base + ordinals[i]);
    return -1;
}

class DllCommands : public ::testing::Test {
protected:
    // Declares the table; returns nothing, entries are addressed by position.
    void Declare(std::vector<std::pair<std::string, std::string>> entries, const std::string& programDirectory = "") {
        entries_ = std::move(entries);
        libraries_.clear();
        exports_.clear();
        for (const auto& [library, exportName] : entries_) {
            libraries_.push_back(library.c_str());
            exports_.push_back(exportName.c_str());
        }
        rt::InitializeDllCommands(static_cast<uint32_t>(entries_.size()), libraries_.data(), exports_.data(),
                                  programDirectory);
    }
    void TearDown() override {
        rt::ReleaseDllCommands();
        rt::SetDllSearchDirectories("", "");
    }

    std::vector<std::pair<std::string, std::string>> entries_;
    std::vector<const char*> libraries_;
    std::vector<const char*> exports_;
};

TEST_F(DllCommands, EmptyLibraryNameSearchesTheSystemLibrariesInOrder) {
    Declare({{"", "lstrcpyn"}, {"", "CreateIconFromResource"}, {"", "Shell_NotifyIconA"}});
    struct Case {
        uint32_t index;
        const wchar_t* library;
        const char* exportName;
    } cases[] = {{0, L"kernel32.dll", "lstrcpyn"},
                 {1, L"user32.dll", "CreateIconFromResource"},
                 {2, L"shell32.dll", "Shell_NotifyIconA"}};
    for (const Case& c : cases) {
        HMODULE expected = LoadLibraryW(c.library);
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(rt::ResolveDllCommand(c.index), reinterpret_cast<void*>(GetProcAddress(expected, c.exportName)))
            << c.exportName;
        EXPECT_EQ(rt::DllCommandModule(c.index), expected) << c.exportName;
        FreeLibrary(expected);
    }
}

TEST_F(DllCommands, BoundCommandIsCalledWithItsArgumentsInOrder) {
    Declare({{"", "lstrcpyn"}});
    char buffer[8] = "xxxxxxx";
    uint32_t copied = rt::CallDllCommand(0, CallConvention::CalleeCleans,
                                         {rt::NativeArgument(buffer), rt::NativeArgument("hello"), 3}, kSubroutine,
                                         kStatement);
    EXPECT_EQ(copied, rt::NativeArgument(buffer));
    EXPECT_STREQ(buffer, "he");
}

TEST_F(DllCommands, SameExportUnderTwoLibraryNamesIsBoundPerIndex) {
    Declare({{"user32", "CallWindowProcA"}, {"user32.dll", "CallWindowProcA"}});
    void* first = rt::ResolveDllCommand(0);
    EXPECT_NE(rt::DllCommandModule(0), nullptr);
    EXPECT_EQ(rt::DllCommandModule(1), nullptr);  // not bound until its own first call
    void* second = rt::ResolveDllCommand(1);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "CallWindowProcA")));
    EXPECT_NE(rt::DllCommandModule(1), nullptr);
}

TEST_F(DllCommands, HashNumberBindsByOrdinalModulo65536) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    int ordinal = ExportOrdinal(kernel, "GetCurrentProcessId");
    ASSERT_GT(ordinal, 0);
    std::string plain = "#" + std::to_string(ordinal);
    std::string wrapped = "#" + std::to_string(ordinal + 65536);
    Declare({{"kernel32.dll", plain}, {"kernel32.dll", wrapped}});
    void* expected = reinterpret_cast<void*>(GetProcAddress(kernel, "GetCurrentProcessId"));
    EXPECT_EQ(rt::ResolveDllCommand(0), expected);
    EXPECT_EQ(rt::ResolveDllCommand(1), expected);
    EXPECT_EQ(rt::CallDllCommand(0, CallConvention::CalleeCleans, {}, kSubroutine, kStatement),
              GetCurrentProcessId());
}

TEST_F(DllCommands, UnboundCommandReportsTheMissingExport) {
    Declare({{"", "LumadrelNoSuchExport"},
             {"kernel32.dll", "LumadrelNoSuchExport"},
             {"lumadrel_no_such_library.dll", "GetCurrentProcessId"},
             // A drive path is tried only as given, never by its bare name.
             {"C:\\lumadrel_nowhere\\kernel32.dll", "GetCurrentProcessId"}});
    const char* expected[] = {
        "无法找到指定DLL库文件中的输出命令“LumadrelNoSuchExport”",
        "无法找到指定DLL库文件“kernel32.dll”中的输出命令“LumadrelNoSuchExport”",
        "无法找到指定DLL库文件“lumadrel_no_such_library.dll”中的输出命令“GetCurrentProcessId”",
        "无法找到指定DLL库文件“C:\\lumadrel_nowhere\\kernel32.dll”中的输出命令“GetCurrentProcessId”",
    };
    ErrorCapture capture;
    for (uint32_t index = 0; index < 4; ++index) {
        CapturedError error = capture.Run([&] { rt::ResolveDllCommand(index); });
        ASSERT_TRUE(error.raised) << index;
        EXPECT_EQ(error.message, expected[index]);
        EXPECT_EQ(error.code, 0);
        EXPECT_EQ(rt::DllCommandModule(index), nullptr);
    }
}

// A DLL that exists only in the directories the test makes.
class DllSearchDirectories : public DllCommands {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"lumadrel_dll_search_" + std::to_wstring(GetCurrentProcessId());
        program_ = root_ + L"\\程序";
        preferred_ = root_ + L"\\preferred";
        for (const std::wstring& directory : {root_, program_, preferred_}) CreateDirectoryW(directory.c_str(), nullptr);
        ASSERT_TRUE(rt::testing::WriteProbeDll(program_ + L"\\lumadrel_probe.dll"));
        ASSERT_TRUE(rt::testing::WriteProbeDll(preferred_ + L"\\pre_lumadrel_probe.dll"));
    }
    void TearDown() override {
        DllCommands::TearDown();
        DeleteFileW((program_ + L"\\lumadrel_probe.dll").c_str());
        DeleteFileW((preferred_ + L"\\pre_lumadrel_probe.dll").c_str());
        for (const std::wstring& directory : {program_, preferred_, root_}) RemoveDirectoryW(directory.c_str());
    }
    static std::string Gbk(const std::wstring& path) { return rt::GbkFromWide(path); }
    static std::wstring BoundModulePath(uint32_t index) {
        return ModulePath(static_cast<HMODULE>(rt::DllCommandModule(index)));
    }

    std::wstring root_, program_, preferred_;
};

TEST_F(DllSearchDirectories, PlainNameIsFoundInTheProgramDirectoryAndReleasedAtShutdown) {
    Declare({{"lumadrel_probe.dll", kProbeExportName}}, Gbk(program_));
    EXPECT_EQ(rt::CallDllCommand(0, CallConvention::CalleeCleans, {}, kSubroutine, kStatement), kProbeExportResult);
    EXPECT_EQ(BoundModulePath(0), program_ + L"\\lumadrel_probe.dll");
    rt::ReleaseDllCommands();
    EXPECT_EQ(GetModuleHandleW((program_ + L"\\lumadrel_probe.dll").c_str()), nullptr);
}

TEST_F(DllSearchDirectories, PreferredDirectoryComesFirstAndIsJoinedWithoutSeparator) {
    Declare({{"lumadrel_probe.dll", kProbeExportName}}, Gbk(program_));
    rt::SetDllSearchDirectories(Gbk(preferred_ + L"\\pre_"), "");
    ASSERT_NE(rt::ResolveDllCommand(0), nullptr);
    EXPECT_EQ(BoundModulePath(0), preferred_ + L"\\pre_lumadrel_probe.dll");
}

TEST_F(DllSearchDirectories, SecondaryDirectoryComesAfterTheProgramDirectory) {
    Declare({{"pre_lumadrel_probe.dll", kProbeExportName}, {"lumadrel_probe.dll", kProbeExportName}},
            Gbk(program_));
    rt::SetDllSearchDirectories("", Gbk(preferred_ + L"\\"));
    ASSERT_NE(rt::ResolveDllCommand(0), nullptr);
    EXPECT_EQ(BoundModulePath(0), preferred_ + L"\\pre_lumadrel_probe.dll");
    ASSERT_NE(rt::ResolveDllCommand(1), nullptr);
    EXPECT_EQ(BoundModulePath(1), program_ + L"\\lumadrel_probe.dll");
}

TEST_F(DllSearchDirectories, DrivePathIsLoadedAsGiven) {
    Declare({{Gbk(program_ + L"\\lumadrel_probe.dll"), kProbeExportName}});
    ASSERT_NE(rt::ResolveDllCommand(0), nullptr);
    EXPECT_EQ(BoundModulePath(0), program_ + L"\\lumadrel_probe.dll");
}

class StackCheck : public DllCommands {
protected:
    void SetUp() override {
        Declare({{"msvcrt.dll", "strlen"},
                 {"kernel32.dll", "lstrlenA"},
                 {"kernel32.dll", "GetCurrentProcessId"},
                 {"msvcrt.dll", "_snprintf"},
                 {"msvcrt.dll", "_atoi64"},
                 {"user32.dll", "CallWindowProcA"}});
    }
};
LRESULT CALLBACK DigitsProcedure(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    return static_cast<LRESULT>(message * 100 + wParam * 10 + lParam);
}

constexpr uint32_t kStrlen = 0, kLstrlenA = 1, kGetCurrentProcessId = 2, kSnprintf = 3, kAtoi64 = 4,
                   kCallWindowProcA = 5;

TEST_F(StackCheck, MatchingDeclarationsPassTheCheck) {
    ErrorCapture capture;
    CapturedError error = capture.Run([] {
        EXPECT_EQ(rt::CallDllCommand(kStrlen, CallConvention::CallerCleans, {rt::NativeArgument("abcd")},
                                     kSubroutine, kStatement),
                  4u);
        EXPECT_EQ(rt::CallDllCommand(kLstrlenA, CallConvention::CalleeCleans, {rt::NativeArgument("中文x")},
                                     kSubroutine, kStatement),
                  5u);
    });
    EXPECT_FALSE(error.raised) << error.boxText;
}

TEST_F(StackCheck, ManyArgumentsArriveInDeclarationOrder) {
    char buffer[32] = {};
    rt::CallDllCommand(kSnprintf, CallConvention::CallerCleans,
                       {rt::NativeArgument(buffer), sizeof buffer, rt::NativeArgument("%d-%d-%d-%d"), 1, 2, 3, 4},
                       kSubroutine, kStatement);
    EXPECT_STREQ(buffer, "1-2-3-4");

    uint32_t result = rt::CallDllCommand(
        kCallWindowProcA, CallConvention::CalleeCleans,
        {rt::NativeArgument(reinterpret_cast<void*>(&DigitsProcedure)), 0, 3, 2, 1}, kSubroutine, kStatement);
    EXPECT_EQ(result, 321u);
}

TEST_F(StackCheck, EightByteResultComesBackWhole) {
    uint64_t value = rt::CallDllCommand64(kAtoi64, CallConvention::CallerCleans,
                                          {rt::NativeArgument("123456789012")}, kSubroutine, kStatement);
    EXPECT_EQ(value, 123456789012ull);
}

struct MismatchCase {
    const char* what;
    uint32_t index;
    CallConvention convention;
    std::vector<rt::NativeWord> arguments;
};
std::vector<MismatchCase> MismatchedDeclarations() {
    return {
        {"caller-cleans function declared callee-cleans", kStrlen, CallConvention::CalleeCleans,
         {rt::NativeArgument("abc")}},
        {"callee-cleans function declared caller-cleans", kLstrlenA, CallConvention::CallerCleans,
         {rt::NativeArgument("abc")}},
        {"one argument too many", kGetCurrentProcessId, CallConvention::CalleeCleans, {5}},
    };
}

TEST_F(StackCheck, MismatchedDeclarationReportsErrorSixAtTheCallSite) {
#if defined(_WIN64)
    GTEST_SKIP() << "x86_64 has one calling convention: the stack cannot come back unbalanced";
#endif
    ErrorCapture capture;
    for (const MismatchCase& c : MismatchedDeclarations()) {
        CapturedError error = capture.Run([&] {
            rt::CallDllCommand64(c.index, c.convention, c.arguments.data(),
                                 static_cast<uint32_t>(c.arguments.size()), kSubroutine, kStatement);
        });
        ASSERT_TRUE(error.raised) << c.what;
        EXPECT_EQ(error.code, 6) << c.what;
        EXPECT_EQ(error.message, "调用DLL命令后发现堆栈错误") << c.what;
        EXPECT_EQ(error.word1, kSubroutine) << c.what;
        EXPECT_EQ(error.word2, kStatement) << c.what;
    }
}

TEST_F(StackCheck, OnX64EveryDeclarationIsBalancedAndNoErrorSixArises) {
#if !defined(_WIN64)
    GTEST_SKIP() << "i686 checks the declared convention (see the error-six test)";
#endif
    ErrorCapture capture;
    for (const MismatchCase& c : MismatchedDeclarations()) {
        uint64_t result = 0;
        CapturedError error = capture.Run([&] {
            result = rt::CallDllCommand64(c.index, c.convention, c.arguments.data(),
                                          static_cast<uint32_t>(c.arguments.size()), kSubroutine, kStatement);
        });
        EXPECT_FALSE(error.raised) << c.what << ": " << error.boxText;
        if (c.index != kGetCurrentProcessId) {
            EXPECT_EQ(result, 3u) << c.what;
        }
    }
}

TEST(NativeCall, StackMovementIsMeasuredInBytes) {
#if defined(_WIN64)
    GTEST_SKIP() << "x86_64 has one calling convention: there is no stack movement to measure";
#endif
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    void* lstrlenA = reinterpret_cast<void*>(GetProcAddress(kernel, "lstrlenA"));
    const rt::NativeWord argument = rt::NativeArgument("ab");
    uint64_t result = 0;
    EXPECT_EQ(rt::CallNativeChecked(lstrlenA, CallConvention::CalleeCleans, &argument, 1, &result), 0);
    EXPECT_EQ(result & 0xFFFFFFFF, 2u);
    // Cleaned twice: the stack pointer ends 4 bytes above where it started.
    EXPECT_EQ(rt::CallNativeChecked(lstrlenA, CallConvention::CallerCleans, &argument, 1, &result), 4);
}

// Callees of 0 to 8 argument words that record what arrived and answer with a
// 64-bit value naming their arity, so order, width and result are all seen.
std::vector<rt::NativeWord> g_received;
constexpr uint64_t ResultOf(int arity) { return 0xA5A5A5A500000000ull | static_cast<uint64_t>(0x100 + arity); }
template <typename... Words>
int64_t WINAPI Record(Words... words) {
    g_received = {static_cast<rt::NativeWord>(words)...};
    return static_cast<int64_t>(ResultOf(sizeof...(Words)));
}
using W = rt::NativeWord;
void* const kRecorders[] = {
    reinterpret_cast<void*>(&Record<>),
    reinterpret_cast<void*>(&Record<W>),
    reinterpret_cast<void*>(&Record<W, W>),
    reinterpret_cast<void*>(&Record<W, W, W>),
    reinterpret_cast<void*>(&Record<W, W, W, W>),
    reinterpret_cast<void*>(&Record<W, W, W, W, W>),
    reinterpret_cast<void*>(&Record<W, W, W, W, W, W>),
    reinterpret_cast<void*>(&Record<W, W, W, W, W, W, W>),
    reinterpret_cast<void*>(&Record<W, W, W, W, W, W, W, W>),
};

TEST(NativeCall, ZeroToEightWordsOfEveryKindArriveInOrderAndTheResultComesBack) {
    char buffer[16] = "buffer";
    int32_t negative = -7;
    // Integers (one negative, one with the top bit of the word), a text, a
    // writable buffer, a routine and a handle.
    const std::vector<rt::NativeWord> words = {
        42u,
        static_cast<rt::NativeWord>(negative),
        rt::NativeArgument("文字"),
        rt::NativeArgument(buffer),
        ~rt::NativeWord{0} ^ 1u,
        rt::NativeArgument(reinterpret_cast<void*>(&DigitsProcedure)),
        reinterpret_cast<rt::NativeWord>(GetModuleHandleW(nullptr)),
        0x80000001u,
    };
    for (uint32_t arity = 0; arity <= 8; ++arity) {
        g_received.assign(9, 0xDEAD);
        uint64_t result = 0;
        EXPECT_EQ(rt::CallNativeChecked(kRecorders[arity], CallConvention::CalleeCleans, words.data(), arity, &result),
                  0)
            << arity;
        EXPECT_EQ(result, ResultOf(static_cast<int>(arity))) << arity;
        EXPECT_EQ(g_received, std::vector<rt::NativeWord>(words.begin(), words.begin() + arity)) << arity;
    }
    EXPECT_EQ(static_cast<int32_t>(g_received[1]), negative);
    EXPECT_STREQ(reinterpret_cast<const char*>(g_received[2]), "文字");
}

TEST_F(StackCheck, SystemFunctionsTakeTextsAndBuffersThroughTheDeclaredPath) {
    EXPECT_EQ(rt::CallDllCommand(kLstrlenA, CallConvention::CalleeCleans, {rt::NativeArgument("Lumadrel")},
                                 kSubroutine, kStatement),
              8u);
    EXPECT_EQ(rt::CallDllCommand(kLstrlenA, CallConvention::CalleeCleans, {0}, kSubroutine, kStatement), 0u);
    EXPECT_EQ(rt::CallDllCommand(kGetCurrentProcessId, CallConvention::CalleeCleans, {}, kSubroutine, kStatement),
              GetCurrentProcessId());
}

}  // namespace
