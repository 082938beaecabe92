// INI text read and written as bytes the way the launcher's INI reading sees
// them, so that a file can be replaced whole (written under another name,
// then renamed) rather than edited in place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace common {

// The value of `key` in the first `[section]`: names compare ignoring ASCII
// case, blanks around names and values are dropped, and so is one pair of
// quotes around the value. A later section of the same name is not read,
// and a line opening "[" without a closing "]" is no section header.
// Nothing when the section or the key is missing.
std::optional<std::string> FindIniValue(std::string_view ini, std::string_view section, std::string_view key);

// The INI text with `key` in `section` set to `value`: the key's line is
// rewritten in place, or added at the end of the section, or the section is
// added at the end. Every other byte stays as it was.
std::string WithIniValue(std::string_view ini, std::string_view section, std::string_view key,
                         std::string_view value);

}  // namespace common
