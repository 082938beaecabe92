// Start-up, exit routines, the message loop and the end of the program, seen
// from outside: the spine demo program runs as a child process.
#include <gtest/gtest.h>

#include <windows.h>

#include "runtime/text_conversion_win32.h"
#include "runtime/type_references.h"
#include "support/child_process_win32.h"
#include "support/form_harness_win32.h"

#include <vector>

namespace {

using rt::testing::ChildProcess;

std::wstring DemoPath() { return rt::testing::WindowsPathOf(LUMADREL_SPINE_DEMO); }

int CountOf(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
    return count;
}

TEST(Startup, ExitRoutineRunsOnceAndLoopReturnsWithoutWindows) {
    ChildProcess demo(DemoPath(), L"");
    ASSERT_TRUE(demo.Started());
    EXPECT_EQ(demo.Wait(), 0u);
    EXPECT_EQ(CountOf(demo.Output(), "exit routine 0 ran"), 1) << demo.Output();
    EXPECT_EQ(CountOf(demo.Output(), "exit routine"), 1) << demo.Output();
    EXPECT_NE(demo.Output().find("message loop returned"), std::string::npos);
    // The loop returned before the shutdown ran the routine.
    EXPECT_LT(demo.Output().find("message loop returned"), demo.Output().find("exit routine 0 ran"));
}

TEST(Startup, CurrentDirectoryBecomesTheProgramFolder) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    ChildProcess demo(DemoPath(), L"", temp);
    ASSERT_TRUE(demo.Started());
    ASSERT_EQ(demo.Wait(), 0u);
    std::wstring path = DemoPath();
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    std::string expected = "current directory " + rt::GbkFromWide(folder) + ";";
    // Wine may report the drive letter in either case.
    std::string output = demo.Output();
    EXPECT_NE(CharUpperA(output.data()), nullptr);
    EXPECT_NE(output.find(CharUpperA(expected.data())), std::string::npos) << demo.Output();
}

TEST(Startup, EndFromWorkerThreadRunsShutdownOnceWithItsCode) {
    ChildProcess demo(DemoPath(), L"--worker 7");
    ASSERT_TRUE(demo.Started());
    EXPECT_EQ(demo.Wait(), 7u);
    EXPECT_EQ(CountOf(demo.Output(), "exit routine 0 ran"), 1) << demo.Output();
    EXPECT_EQ(demo.Output().find("message loop returned"), std::string::npos);
}

TEST(RuntimeErrorBox, ShowsTheReportAndEndsWithMinusOne) {
    ChildProcess demo(DemoPath(), L"--fail");
    ASSERT_TRUE(demo.Started());
    rt::testing::MessageBoxSeen box = rt::testing::WaitForMessageBox(demo.ProcessId());
    ASSERT_NE(box.window, nullptr) << "no error box appeared (is the test display running?)";
    EXPECT_EQ(box.title, rt::WideFromGbk("错误"));
    EXPECT_EQ(box.text, rt::WideFromGbk("运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"
                                        "\r\n67188437, 18\r\n"));
    rt::testing::PressMessageBoxButton(box.window, IDOK);
    EXPECT_EQ(demo.Wait(), 0xFFFFFFFFu);
    EXPECT_EQ(demo.Output().find("exit routine"), std::string::npos) << "exit routines ran after an error";
}

// A template cut short fails its reading: the runtime says so and ends with -1.
TEST(RuntimeErrorBox, DamagedTemplateEndsTheProgramWithItsMessage) {
    std::vector<uint8_t> bytes = rt::testing::BuildTemplate({rt::testing::FormBuilder(0x52010001, rt::kWindowTypeReference, 200, 100)});
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"damaged-" + std::to_wstring(GetCurrentProcessId()) + L".template";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size() - 3), &written, nullptr);
    CloseHandle(file);

    ChildProcess demo(DemoPath(), L"--template \"" + path + L"\"");
    ASSERT_TRUE(demo.Started());
    rt::testing::MessageBoxSeen box = rt::testing::WaitForMessageBox(demo.ProcessId());
    ASSERT_NE(box.window, nullptr) << "no error box appeared";
    EXPECT_EQ(box.text, rt::WideFromGbk("运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n\r\n0, 0\r\n"));
    rt::testing::PressMessageBoxButton(box.window, IDOK);
    EXPECT_EQ(demo.Wait(), 0xFFFFFFFFu);
    DeleteFileW(path.c_str());

    // The whole template reads cleanly.
    file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ChildProcess whole(DemoPath(), L"--template \"" + path + L"\"");
    EXPECT_EQ(whole.Wait(), 0u);
    DeleteFileW(path.c_str());
}

}  // namespace
