#include "services/gbk_text.h"

#include <algorithm>
#include <cstdint>

namespace services {
namespace {

constexpr unsigned char FoldAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// One character at `index`: a double-byte character as lead << 8 | trail.
unsigned ReadCharacter(std::string_view text, size_t* index, bool ignoreCase) {
    auto lead = static_cast<unsigned char>(text[*index]);
    if (IsLeadByte(lead) && *index + 1 < text.size()) {
        auto trail = static_cast<unsigned char>(text[*index + 1]);
        *index += 2;
        return static_cast<unsigned>(lead) << 8 | trail;
    }
    *index += 1;
    return ignoreCase ? FoldAscii(lead) : lead;
}

}  // namespace

bool EqualIgnoringCase(const char* left, const char* right, size_t length) {
    size_t i = 0;
    while (i < length) {
        auto a = static_cast<unsigned char>(left[i]);
        auto b = static_cast<unsigned char>(right[i]);
        if (IsLeadByte(a) && i + 1 < length) {
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
        if (IsLeadByte(static_cast<unsigned char>(text[k]))) {
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
    size_t k = 0;
    while (length - k >= separator.size()) {
        if (text.compare(k, separator.size(), separator) == 0) {
            parts.emplace_back(text.substr(segmentStart, k - segmentStart));
            k += separator.size();
            segmentStart = k;
            if (maximumCount > 0 && --maximumCount == 0) break;
            continue;
        }
        if (IsLeadByte(static_cast<unsigned char>(text[k]))) {
            if (k + 1 >= length) break;
            k += 2;
        } else {
            k += 1;
        }
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
        if (!IsLeadByte(lead) || i + 1 >= text.size()) {
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
