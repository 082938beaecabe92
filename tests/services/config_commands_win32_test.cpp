// Configuration files through ReadConfigItem and WriteConfigItem.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "runtime/text_conversion_win32.h"
#include "services/core_commands.h"
#include "support/command_call.h"

namespace {

using services::testing::Call;

rt::ValueRecord Text(const std::string& text) { return rt::MakeText(text.empty() ? nullptr : text.c_str()); }
rt::ValueRecord Omitted() { return rt::ValueRecord{}; }

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t directory[MAX_PATH];
        GetTempPathW(MAX_PATH, directory);
        path_ = rt::GbkFromWide(std::wstring(directory) + L"services_config_test.ini");
        DeleteFileW(rt::WideFromGbk(path_).c_str());
    }
    void TearDown() override { DeleteFileW(rt::WideFromGbk(path_).c_str()); }

    void WriteIni(const std::string& bytes) {
        HANDLE file = CreateFileW(rt::WideFromGbk(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string Read(const std::string& section, const std::string& key, const char* fallback = nullptr) {
        return Call(services::ReadConfigItem,
                    {Text(path_), Text(section), Text(key), fallback ? Text(fallback) : Omitted()})
            .text();
    }

    std::string path_;
};

TEST_F(ConfigFile, ReadsAnExistingItem) {
    WriteIni("[更新配置]\r\n当前版本=1.2\r\n");
    EXPECT_EQ(Read("更新配置", "当前版本"), "1.2");
    // Leading spaces and control characters of the names are skipped.
    EXPECT_EQ(Read(" \t更新配置", "\r\n 当前版本"), "1.2");
}

TEST_F(ConfigFile, EmptyNamesGiveEmptyTextEvenWithADefault) {
    WriteIni("[s]\r\nk=v\r\n");
    EXPECT_EQ(Read("s", "", "default"), "");
    EXPECT_EQ(Read("s", "  \t", "default"), "");
    EXPECT_EQ(Read("", "k", "default"), "");
    EXPECT_TRUE(Call(services::ReadConfigItem, {Text(""), Text("s"), Text("k"), Text("default")}).isNull());
}

TEST_F(ConfigFile, MissingItemsGiveTheDefault) {
    WriteIni("[s]\r\nk=v\r\n");
    EXPECT_EQ(Read("s", "missing", "默认"), "默认");
    EXPECT_EQ(Read("missing", "k", "默认"), "默认");
    EXPECT_TRUE(Call(services::ReadConfigItem, {Text(path_), Text("s"), Text("missing")}).isNull());
}

TEST_F(ConfigFile, WriteThenReadRoundTripsChineseText) {
    EXPECT_TRUE(Call(services::WriteConfigItem, {Text(path_), Text("窗口设置"), Text("分辨率"), Text("1024×768 全屏")})
                    .boolean());
    EXPECT_EQ(Read("窗口设置", "分辨率"), "1024×768 全屏");
    EXPECT_TRUE(Call(services::WriteConfigItem, {Text(path_), Text("窗口设置"), Text("分辨率"), Text("800")}).boolean());
    EXPECT_EQ(Read("窗口设置", "分辨率"), "800");
}

TEST_F(ConfigFile, OmittedValueRemovesTheKeyAndOmittedKeyTheSection) {
    WriteIni("[s]\r\na=1\r\nb=2\r\n[t]\r\nc=3\r\n");
    EXPECT_TRUE(Call(services::WriteConfigItem, {Text(path_), Text("s"), Text("a")}).boolean());
    EXPECT_EQ(Read("s", "a", "gone"), "gone");
    EXPECT_EQ(Read("s", "b"), "2");
    EXPECT_TRUE(Call(services::WriteConfigItem, {Text(path_), Text("s"), Omitted(), Omitted()}).boolean());
    EXPECT_EQ(Read("s", "b", "gone"), "gone");
    EXPECT_EQ(Read("t", "c"), "3");
}

TEST_F(ConfigFile, GivenEmptyTextsNeverDeleteAnything) {
    WriteIni("[s]\r\na=1\r\nb=2\r\n");
    EXPECT_TRUE(Call(services::WriteConfigItem, {Text(path_), Text("s"), Text("a"), Text("")}).boolean());
    EXPECT_EQ(Read("s", "a", "gone"), "");
    Call(services::WriteConfigItem, {Text(path_), Text("s"), Text(""), Text("x")});
    EXPECT_EQ(Read("s", "b"), "2");
    EXPECT_FALSE(Call(services::WriteConfigItem, {Text(""), Text("s"), Text("a"), Text("1")}).boolean());
    EXPECT_FALSE(Call(services::WriteConfigItem, {Text(path_), Text(""), Text("a"), Text("1")}).boolean());
}

}  // namespace
