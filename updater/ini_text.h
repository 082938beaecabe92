// The installed version in update.ini, read and written as bytes the way the
// launcher's INI reading sees them, so that the file can be replaced whole
// (written under another name, then renamed) at the commit point.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace updater {

constexpr std::string_view kVersionSection = "更新配置";
constexpr std::string_view kVersionKey = "当前版本";

// The value of `key` in the first `[section]`: names compare ignoring ASCII
// case, blanks around names and values are dropped, and so is one pair of
// quotes around the value. Nothing when the section or the key is missing.
std::optional<std::string> FindIniValue(std::string_view ini, std::string_view section, std::string_view key);

// The INI text with `key` in `section` set to `value`: the key's line is
// rewritten in place, or added at the end of the section, or the section is
// added at the end. Every other byte stays as it was.
std::string WithIniValue(std::string_view ini, std::string_view section, std::string_view key,
                         std::string_view value);

}  // namespace updater
