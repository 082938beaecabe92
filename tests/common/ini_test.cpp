// update.ini's version, read as the launcher reads it and rewritten in place.
#include "common/ini.h"

#include <gtest/gtest.h>

#include <string>

#include "common/update_ini.h"

namespace {

using common::FindIniValue;
using common::WithIniValue;

const std::string kSection(common::kUpdateIniSection), kKey(common::kUpdateIniVersionKey);

TEST(IniText, FindsTheVersionAsTheLauncherReadsIt) {
    struct Case {
        std::string ini;
        std::optional<std::string> version;
    } cases[] = {
        {"[更新配置]\r\n当前版本=1.0.0\r\n", "1.0.0"},
        {"[更新配置]\n  当前版本 =  \"1.0 beta\"  \n", "1.0 beta"},
        {"; note\n[ 更新配置 ]\n;当前版本=0\n当前版本=3", "3"},
        {"[更新配置]\n当前版本=\n", ""},
        {"[其他]\n当前版本=9\n[更新配置]\n当前版本=2\n", "2"},
        {"[更新配置]\n当前版本=1\n[更新配置]\n当前版本=2\n", "1"},
        {"[其他]\n当前版本=1.0\n", std::nullopt},
        {"当前版本=1.0\n[更新配置]\n", std::nullopt},
        {"[更新配置]\n版本=1.0\n", std::nullopt},
        {"", std::nullopt},
        // The server's reader once went on into a later section of the same name,
        // and ended the section at a "[" line without "]".
        {"[更新配置]\n[其他]\n[更新配置]\n当前版本=2\n", std::nullopt},
        {"[更新配置]\n[其他\n当前版本=5\n", "5"},
    };
    for (const Case& c : cases) EXPECT_EQ(FindIniValue(c.ini, kSection, kKey), c.version) << c.ini;
    EXPECT_EQ(FindIniValue("[Update]\nVERSION=4\n", "update", "Version"), "4");
}

TEST(IniText, RewritesOnlyTheVersion) {
    struct Case {
        std::string before;
        std::string after;
    } cases[] = {
        {"[更新配置]\r\n当前版本=1.0.0\r\n", "[更新配置]\r\n当前版本=1.0.1\r\n"},
        {"[更新配置]\r\n  当前版本 = 1.0.0  \r\n其他=x\r\n", "[更新配置]\r\n当前版本=1.0.1\r\n其他=x\r\n"},
        {"[更新配置]\n当前版本=1.0.0", "[更新配置]\n当前版本=1.0.1"},
        {"[更新配置]\r\n其他=x\r\n\r\n[另一节]\r\na=b\r\n", "[更新配置]\r\n其他=x\r\n当前版本=1.0.1\r\n\r\n[另一节]\r\na=b\r\n"},
        {"[更新配置]", "[更新配置]\r\n当前版本=1.0.1\r\n"},
        {"[另一节]\na=b\n", "[另一节]\na=b\n[更新配置]\n当前版本=1.0.1\n"},
        {"", "[更新配置]\r\n当前版本=1.0.1\r\n"},
    };
    for (const Case& c : cases) {
        std::string after = WithIniValue(c.before, kSection, kKey, "1.0.1");
        EXPECT_EQ(after, c.after) << c.before;
        EXPECT_EQ(FindIniValue(after, kSection, kKey), "1.0.1") << c.before;
    }
}

}  // namespace
