#include "server/update_document.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "common/ini.h"
#include "common/update_document_writer.h"
#include "common/update_ini.h"

namespace server {

common::Result<std::string> UpdateDocument::Build() const {
    std::string version;
    switch (source_.kind) {
    case VersionSource::Kind::None:
        return common::Error{"no version configured"};
    case VersionSource::Kind::Text:
        version = source_.value;
        break;
    case VersionSource::Kind::UpdateIni: {
        std::ifstream file(source_.value, std::ios::binary);
        if (!file) return common::Error{"cannot read " + source_.value};
        std::string ini((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::optional<std::string> found =
            common::FindIniValue(ini, common::kUpdateIniSection, common::kUpdateIniVersionKey);
        if (!found) return common::Error{"no version key in " + source_.value};
        version = std::move(*found);
        break;
    }
    }
    return common::WriteVersionDocument(version);
}

}  // namespace server
