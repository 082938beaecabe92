#include "server/static_files.h"

#include <algorithm>
#include <charconv>

#include "common/ascii.h"
#include "common/hex.h"

namespace server {
namespace {

bool Decode(std::string_view segment, std::string* decoded) {
    decoded->clear();
    for (size_t i = 0; i < segment.size(); ++i) {
        char c = segment[i];
        if (c == '%') {
            if (i + 2 >= segment.size()) return false;
            int high = common::HexDigitValue(segment[i + 1]), low = common::HexDigitValue(segment[i + 2]);
            if (high < 0 || low < 0) return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') return false;
        decoded->push_back(c);
    }
    return true;
}

bool ParseNumber(std::string_view text, uint64_t* value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}


}  // namespace

StaticPathStatus StaticFilePath(std::string_view root, std::string_view requestPath, std::string* file) {
    if (requestPath.empty() || requestPath.front() != '/') return StaticPathStatus::Malformed;
    std::string path(root);
    std::string segment;
    size_t start = 1;
    for (;;) {
        size_t slash = requestPath.find('/', start);
        std::string_view raw = requestPath.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (!Decode(raw, &segment)) return StaticPathStatus::Malformed;
        // A "/" decoded from "%2F" would join two segments past these checks.
        if (segment.empty() || segment.front() == '.' || segment.find('/') != std::string::npos)
            return StaticPathStatus::Refused;
        path += "/" + segment;
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    *file = path;
    return StaticPathStatus::Ok;
}

namespace {

using common::Trimmed;

enum class ItemStatus { Ok, Malformed, PastTheEnd };

// One "FIRST-LAST", "FIRST-" or "-SUFFIX".
ItemStatus ParseOneRange(std::string_view item, uint64_t size, ByteRange* range) {
    item = Trimmed(item);
    size_t dash = item.find('-');
    if (dash == std::string_view::npos) return ItemStatus::Malformed;
    std::string_view firstText = item.substr(0, dash), lastText = item.substr(dash + 1);
    uint64_t first = 0, last = 0;
    if (firstText.empty()) {
        uint64_t suffix = 0;
        if (!ParseNumber(lastText, &suffix)) return ItemStatus::Malformed;
        if (suffix == 0 || size == 0) return ItemStatus::PastTheEnd;
        range->first = suffix >= size ? 0 : size - suffix;
        range->last = size - 1;
        return ItemStatus::Ok;
    }
    if (!ParseNumber(firstText, &first)) return ItemStatus::Malformed;
    if (lastText.empty()) {
        last = size == 0 ? 0 : size - 1;
    } else if (!ParseNumber(lastText, &last) || last < first) {
        return ItemStatus::Malformed;
    }
    if (first >= size) return ItemStatus::PastTheEnd;
    range->first = first;
    range->last = last >= size ? size - 1 : last;
    return ItemStatus::Ok;
}

}  // namespace

RangeStatus ParseRanges(std::string_view header, uint64_t size, size_t mostRanges, std::vector<ByteRange>* ranges) {
    ranges->clear();
    header = Trimmed(header);
    if (mostRanges == 0 || !header.starts_with("bytes=")) return RangeStatus::Whole;
    header.remove_prefix(6);
    size_t items = 0;
    bool ordered = true;
    for (;;) {
        size_t comma = header.find(',');
        if (++items > mostRanges) {
            ranges->clear();
            return RangeStatus::Whole;
        }
        ByteRange range;
        ItemStatus status = ParseOneRange(header.substr(0, comma), size, &range);
        if (status == ItemStatus::Malformed) {
            ranges->clear();
            return RangeStatus::Whole;
        }
        if (status == ItemStatus::Ok) {
            if (!ranges->empty() && range.first <= ranges->back().last + 1) ordered = false;
            ranges->push_back(range);
        }
        if (comma == std::string_view::npos) break;
        header.remove_prefix(comma + 1);
    }
    if (ranges->empty()) return RangeStatus::Unsatisfiable;
    if (!ordered) {
        std::sort(ranges->begin(), ranges->end(),
                  [](const ByteRange& a, const ByteRange& b) { return a.first < b.first; });
        std::vector<ByteRange> joined;
        for (const ByteRange& range : *ranges) {
            if (!joined.empty() && range.first <= joined.back().last + 1) {
                joined.back().last = std::max(joined.back().last, range.last);
            } else {
                joined.push_back(range);
            }
        }
        *ranges = std::move(joined);
    }
    return ranges->size() == 1 ? RangeStatus::Partial : RangeStatus::Several;
}

std::optional<std::string_view> FindHeader(std::string_view head, std::string_view name) {
    size_t lineStart = head.find('\n');
    while (lineStart != std::string_view::npos) {
        ++lineStart;
        size_t lineEnd = head.find('\n', lineStart);
        std::string_view line =
            head.substr(lineStart, lineEnd == std::string_view::npos ? lineEnd : lineEnd - lineStart);
        if (line.ends_with('\r')) line.remove_suffix(1);
        size_t colon = line.find(':');
        if (colon == name.size()) {
            if (common::EqualIgnoringAsciiCase(line.substr(0, colon), name)) {
                std::string_view value = common::Trimmed(line.substr(colon + 1));
                return value;
            }
        }
        lineStart = lineEnd;
    }
    return std::nullopt;
}

}  // namespace server
