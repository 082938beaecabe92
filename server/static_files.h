// Static files below a folder (--www DIR): which file a request path names,
// and which bytes a Range header asks for (one range or several, up to a cap
// per request). Pure functions; the transfer is in static_file_transfer.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// The folder served (--www) and how many ranges one request may ask for
// (--www-max-ranges; 0 turns ranges off: every answer is the whole file).
struct StaticSite {
    std::string root;
    size_t mostRanges = 64;
};

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
    Whole,          // no Range header, or one this server ignores (another unit, malformed, over the cap)
    Partial,        // one range
    Several,        // two or more: a multipart/byteranges answer
    Unsatisfiable,  // every range starts at or beyond the end
};

// "bytes=" and one or more comma-separated "FIRST-LAST", "FIRST-" or
// "-SUFFIX" against a file of `size` bytes. Ranges past the end are left
// out; ranges that overlap or touch are joined (then in file order), so no
// request costs more than the file once.
RangeStatus ParseRanges(std::string_view header, uint64_t size, size_t mostRanges, std::vector<ByteRange>* ranges);

// The value of a header in a request head (name compared ignoring case), if present.
std::optional<std::string_view> FindHeader(std::string_view head, std::string_view name);

}  // namespace server
