// The update document as this system writes it: the publish tool's signed
// document with its file list, and the reference server's version-only one.
// The launcher reads only Info/Version; the updater reads the rest.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace common {

struct ListedFile {
    std::string path;    // GBK, normalised to backslashes
    uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits
    // Its chunk index ("<path>.chunks" beside it), when one is published: 0 and empty otherwise.
    uint64_t chunksSize = 0;
    std::string chunksSha256;
    bool HasChunkIndex() const { return chunksSize != 0; }
};

struct UpdateDocument {
    std::string version;  // GBK, exactly as the launcher reads it
    int64_t expires = 0;  // seconds since 1970-01-01 UTC
    uint64_t sequence = 0;  // raised by the publish tool on every signing
    std::string base;     // as written; empty means the document's own folder
    std::vector<ListedFile> files;
};

std::string WriteUpdateDocument(const UpdateDocument& document);

// The version alone, for a server that publishes no file list.
std::string WriteVersionDocument(std::string_view version);

}  // namespace common
