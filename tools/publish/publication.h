// Publishing a game version for the updater: every file of a game folder is
// hashed and copied to <www>/<document folder>/files/<version>/, and the
// update document listing them is written to <www>/<document>. Each file is
// written under a hidden temporary name and renamed, so the server never
// hands out half a file or half a document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace publish {

struct PublishRequest {
    std::string version;       // UTF-8
    std::string gameFolder;
    std::string wwwFolder;
    std::string documentPath = "vorlenk2/update.xml";  // below wwwFolder, as the launcher asks for it
    std::vector<std::string> excluded;                 // patterns for paths or names (fnmatch)
};

// Files that belong to the player's machine, never published.
extern const std::vector<std::string> kAlwaysExcluded;

struct PublishSummary {
    size_t files = 0;
    uint64_t bytes = 0;
    std::string document;  // the path written
};

// False with `error` set (nothing of the document is changed then).
bool Publish(const PublishRequest& request, PublishSummary* summary, std::string* error);

}  // namespace publish
