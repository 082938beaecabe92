// Static files below a folder (--www DIR): which file a request path names,
// and which bytes a Range header asks for. Pure functions; the transfer is in
// static_file_transfer.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace server {

enum class StaticPathStatus {
    Ok,
    Malformed,  // a bad percent escape, a NUL, a control byte or a backslash
    Refused,    // an empty, ".", ".." or hidden (dot-first) segment, or a folder
};

// The file below `root` that a request path ("/a/b%20c.dat") names, its
// segments percent-decoded. Hidden names are refused too: temporary files of
// the publish tool start with a dot.
StaticPathStatus StaticFilePath(std::string_view root, std::string_view requestPath, std::string* file);

struct ByteRange {
    uint64_t first = 0;
    uint64_t last = 0;  // inclusive
};

enum class RangeStatus {
    Whole,          // no Range header, or one this server ignores (several ranges, another unit)
    Partial,
    Unsatisfiable,  // starts at or beyond the end
};

// "bytes=FIRST-", "bytes=FIRST-LAST" or "bytes=-SUFFIX" against a file of `size` bytes.
RangeStatus ParseRange(std::string_view header, uint64_t size, ByteRange* range);

// The value of a header in a request head (name compared ignoring case), if present.
std::optional<std::string_view> FindHeader(std::string_view head, std::string_view name);

}  // namespace server
