// GetRunDirectory: the program's own folder, without a trailing backslash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/wine_path.h"
#include "services/core_commands.h"
#include "support/command_call.h"
#include "support/form_harness_win32.h"

namespace {

// The folder the build put this program in, as Wine shows it: "/a/b" is "Z:\a\b".
std::string BuildFolder() {
    return common::WindowsPath(LUMADREL_SERVICES_TESTS_DIR);
}

TEST(GetRunDirectory, IsTheExecutablesFolderWithoutTrailingBackslash) {
    rt::testing::StartRuntime(rt::testing::BuildTemplate({}), {}, nullptr, 0);
    auto directory = services::testing::Call(services::GetRunDirectory, {});
    EXPECT_EQ(directory.type(), rt::kTypeText);
    // Wine may report the drive letter in either case.
    EXPECT_STRCASEEQ(directory.text().c_str(), BuildFolder().c_str());
    ASSERT_FALSE(directory.text().empty());
    EXPECT_NE(directory.text().back(), '\\');
}

}  // namespace
