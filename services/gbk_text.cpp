#include "services/gbk_text.h"

#include <algorithm>
#include <cstdint>

#include "common/ascii.h"
#include "common/text/gbk.h"

namespace services {
namespace {

using common::IsTextCommandLeadByte;

constexpr unsigned char FoldAscii(unsigned char byte) {
    return static_cast<unsigned char>(common::ToLowerAscii(static_cast<char>(byte)));
}

// One character at `index`: a double-byte character as lead << 8 | trail.
unsigned ReadCharacter(std::string_view text, size_t* index, bool ignoreCase) {
    auto lead = static_cast<unsigned char>(text[*index]);
    if (IsTextCommandLeadByte(lead) && *index + 1 < text.size()) {
        auto trail = static_cast<unsigned char>(text[*index + 1]);
        *index += 2;
        return static_cast<unsigned>(lead) << 8 | trail;
    }
    *index += 1;
    return ignoreCase ? FoldAscii(lead) : lead;
}

// Walks character starts from `boundary` until reaching or passing `target`;
// false when the walk ends first (a lone lead byte at the end of the text).
bool AdvanceTo(std::string_view text, size_t* boundary, size_t target) {
    while (*boundary < target) {
        if (IsTextCommandLeadByte(static_cast<unsigned char>(text[*boundary]))) {
            if (*boundary + 1 >= text.size()) return false;
            *boundary += 2;
        } else {
            *boundary += 1;
        }
    }
    return true;
}

// A case-sensitive forward search: candidates come from a plain byte search
// and only those that start a character count.
int FindForwardExact(std::string_view text, std::string_view sought, size_t begin) {
    size_t boundary = begin;
    size_t from = begin;
    for (;;) {
        size_t hit = text.find(sought, from);
        if (hit == std::string_view::npos) return -1;
        if (!AdvanceTo(text, &boundary, hit)) return -1;
        if (boundary == hit) return static_cast<int>(hit + 1);
        from = hit + 1;  // the hit began on a trail byte
    }
}

}  // namespace

bool EqualIgnoringCase(const char* left, const char* right, size_t length) {
    size_t i = 0;
    while (i < length) {
        auto a = static_cast<unsigned char>(left[i]);
        auto b = static_cast<unsigned char>(right[i]);
        if (IsTextCommandLeadByte(a) && i + 1 < length) {
            if (a != b || left[i + 1] != right[i + 1]) return false;
            i += 2;
            continue;
        }
        if (FoldAscii(a) != FoldAscii(b)) return false;
        ++i;
    }
    return true;
}

int FindInText(std::string_view text, std::string_view sought, std::optional<int> startPosition, bool ignoreCase,
               SearchDirection direction) {
    const bool forward = direction == SearchDirection::Forward;
    const size_t length = text.size();
    size_t start;
    if (startPosition) start = static_cast<size_t>(std::max<int64_t>(static_cast<int64_t>(*startPosition) - 1, 0));
    else start = forward ? 0 : length;

    size_t begin = forward ? start : 0;
    size_t end = forward ? length : std::min(start, length);
    if (begin >= end) return -1;
    if (sought.empty()) return 1;
    if (forward && !ignoreCase) return FindForwardExact(text, sought, begin);

    int found = -1;
    size_t k = begin;
    while (k < end) {
        if (end - k >= sought.size()) {
            bool match = ignoreCase ? EqualIgnoringCase(text.data() + k, sought.data(), sought.size())
                                    : text.compare(k, sought.size(), sought) == 0;
            if (match) {
                found = static_cast<int>(k + 1);
                if (forward) return found;
            }
        }
        if (IsTextCommandLeadByte(static_cast<unsigned char>(text[k]))) {
            if (k + 1 >= length) break;
            k += 2;
        } else {
            k += 1;
        }
    }
    return found;
}

int CompareTexts(std::string_view left, std::string_view right, bool ignoreCase) {
    size_t i = 0, j = 0;
    while (i < left.size() && j < right.size()) {
        unsigned a = ReadCharacter(left, &i, ignoreCase);
        unsigned b = ReadCharacter(right, &j, ignoreCase);
        if (a != b) return a < b ? -1 : 1;
    }
    bool leftRemains = i < left.size();
    bool rightRemains = j < right.size();
    return leftRemains == rightRemains ? 0 : (leftRemains ? 1 : -1);
}

std::vector<std::string> SplitIntoParts(std::string_view text, std::string_view separator, int maximumCount) {
    std::vector<std::string> parts;
    if (text.empty() || maximumCount == 0) return parts;
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    const size_t length = text.size();
    size_t segmentStart = 0;
    size_t boundary = 0;  // the scan visits character starts only
    size_t from = 0;
    for (;;) {
        size_t hit = text.find(separator, from);
        if (hit == std::string_view::npos) break;
        if (!AdvanceTo(text, &boundary, hit)) break;
        if (boundary != hit) {
            from = hit + 1;  // inside a double-byte character
            continue;
        }
        parts.emplace_back(text.substr(segmentStart, hit - segmentStart));
        boundary = hit + separator.size();
        from = boundary;
        segmentStart = boundary;
        if (maximumCount > 0 && --maximumCount == 0) break;
    }
    if (segmentStart < length && maximumCount != 0) parts.emplace_back(text.substr(segmentStart));
    return parts;
}

std::string ToHalfWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (!IsTextCommandLeadByte(lead) || i + 1 >= text.size()) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        auto trail = static_cast<unsigned char>(text[i + 1]);
        i += 2;
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out += static_cast<char>(trail & 0x7F);
        } else if (lead == 0xA1 && trail == 0xA1) {
            out += ' ';
        } else if (lead == 0xA1 && trail == 0xAB) {
            out += '~';
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out += '*';
        } else {
            out += static_cast<char>(lead);
            out += static_cast<char>(trail);
        }
    }
    return out;
}

}  // namespace services
