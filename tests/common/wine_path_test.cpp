#include <gtest/gtest.h>

#include "common/wine_path.h"

namespace {

TEST(WindowsPath, SlashesTurnIntoBackslashesBelowDriveZ) {
    const struct {
        const char* unix;
        const char* windows;
    } cases[] = {
        {"/work/tests/data/a.xml", "Z:\\work\\tests\\data\\a.xml"},
        {"/", "Z:\\"},
        {"/a//b/", "Z:\\a\\\\b\\"},
        {"/\xE4\xB8\xAD/x y", "Z:\\\xE4\xB8\xAD\\x y"},  // other bytes as they are
    };
    for (const auto& c : cases) EXPECT_EQ(common::WindowsPath(c.unix), c.windows) << c.unix;
}

}  // namespace
