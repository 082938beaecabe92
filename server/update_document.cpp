#include "server/update_document.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "common/ini.h"
#include "common/update_document_writer.h"
#include "common/update_ini.h"

namespace server {

bool UpdateDocument::Build(std::string& xml, std::string& problem) const {
    std::string version;
    switch (source_.kind) {
    case VersionSource::Kind::None:
        problem = "no version configured";
        return false;
    case VersionSource::Kind::Text:
        version = source_.value;
        break;
    case VersionSource::Kind::UpdateIni: {
        std::ifstream file(source_.value, std::ios::binary);
        if (!file) {
            problem = "cannot read " + source_.value;
            return false;
        }
        std::string ini((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::optional<std::string> found =
            common::FindIniValue(ini, common::kUpdateIniSection, common::kUpdateIniVersionKey);
        if (!found) {
            problem = "no version key in " + source_.value;
            return false;
        }
        version = std::move(*found);
        break;
    }
    }
    xml = common::WriteVersionDocument(version);
    return true;
}

}  // namespace server
