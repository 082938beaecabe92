// The version document the launcher fetches before it starts the game.
#pragma once

#include <string>
#include <string_view>

#include "server/server_config.h"

namespace server {

class UpdateDocument {
public:
    explicit UpdateDocument(VersionSource source) : source_(std::move(source)) {}

    // The XML (GBK) with the current version, read afresh from an INI file so an edit
    // applies at once. False with `problem` set when there is no version to give.
    bool Build(std::string& xml, std::string& problem) const;

    // The value of `key` in `[section]` of an INI text, trimmed of blanks and of one
    // pair of enclosing quotes; names compare ignoring ASCII case.
    static bool FindIniValue(std::string_view ini, std::string_view section, std::string_view key,
                             std::string& value);

private:
    VersionSource source_;
};

}  // namespace server
