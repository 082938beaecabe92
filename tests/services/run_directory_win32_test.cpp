// GetRunDirectory: the program's own folder, without a trailing backslash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "runtime/text_conversion_win32.h"
#include "services/core_commands.h"
#include "support/command_call.h"
#include "support/form_harness_win32.h"

namespace {

TEST(GetRunDirectory, IsTheExecutablesFolderWithoutTrailingBackslash) {
    testing_support::StartRuntime(testing_support::BuildTemplate({}), {}, nullptr, 0);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\'));

    auto directory = services::testing::Call(services::GetRunDirectory, {});
    EXPECT_EQ(directory.type(), rt::kTypeText);
    EXPECT_EQ(directory.text(), rt::GbkFromWide(folder));
    EXPECT_NE(directory.text().back(), '\\');
}

}  // namespace
