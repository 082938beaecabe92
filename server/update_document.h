// The version document the launcher fetches before it starts the game.
#pragma once

#include <string>
#include <string_view>

#include "common/result.h"
#include "server/server_config.h"

namespace server {

class UpdateDocument {
public:
    explicit UpdateDocument(VersionSource source) : source_(std::move(source)) {}

    // The XML (GBK) with the current version, read afresh from an INI file so an edit
    // applies at once; fails when there is no version to give.
    common::Result<std::string> Build() const;

private:
    VersionSource source_;
};

}  // namespace server
