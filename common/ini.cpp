#include "common/ini.h"

#include <algorithm>

#include "common/ascii.h"

namespace common {
namespace {

std::string_view TrimmedLine(std::string_view text) { return Trimmed(text, kLineBlanks); }

bool SameName(std::string_view a, std::string_view b) { return EqualIgnoringAsciiCase(a, b); }

struct Line {
    size_t start;  // offset of the line in the text
    size_t end;    // offset of its line feed, or the text's end
};

// The section a line opens ("[name]"), if it opens one.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimmedLine(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    // A GBK trail byte may be ']', so the closing bracket is the last one.
    size_t close = line.rfind(']');
    if (close == 0 || close == std::string_view::npos) return std::nullopt;
    return TrimmedLine(line.substr(1, close - 1));
}

// Where `key` stands in the first `section`: the key's line, or where a new
// key would go (after the section's last non-blank line), or nothing.
struct Place {
    bool sectionFound = false;
    bool keyFound = false;
    Line line{0, 0};
    size_t insertAt = 0;
};

Place Locate(std::string_view ini, std::string_view section, std::string_view key) {
    Place place;
    bool inSection = false;
    for (size_t start = 0; start < ini.size();) {
        size_t end = std::min(ini.find('\n', start), ini.size());
        std::string_view line = ini.substr(start, end - start);
        size_t next = end < ini.size() ? end + 1 : end;
        if (auto name = SectionName(line)) {
            if (inSection) return place;
            inSection = !place.sectionFound && SameName(*name, section);
            if (inSection) {
                place.sectionFound = true;
                place.insertAt = next;
            }
        } else if (inSection) {
            std::string_view trimmed = TrimmedLine(line);
            size_t equals = trimmed.find('=');
            if (!trimmed.empty() && trimmed.front() != ';' && equals != std::string_view::npos &&
                SameName(TrimmedLine(trimmed.substr(0, equals)), key)) {
                place.keyFound = true;
                place.line = {start, end};
                return place;
            }
            if (!trimmed.empty()) place.insertAt = next;
        }
        start = next;
    }
    return place;
}

std::string_view LineBreakOf(std::string_view ini) {
    size_t newline = ini.find('\n');
    return newline != std::string_view::npos && newline > 0 && ini[newline - 1] == '\r' ? "\r\n" :
           newline != std::string_view::npos ? "\n" : "\r\n";
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view ini, std::string_view section, std::string_view key) {
    Place place = Locate(ini, section, key);
    if (!place.keyFound) return std::nullopt;
    std::string_view line = TrimmedLine(ini.substr(place.line.start, place.line.end - place.line.start));
    std::string_view value = TrimmedLine(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string WithIniValue(std::string_view ini, std::string_view section, std::string_view key,
                         std::string_view value) {
    std::string_view lineBreak = LineBreakOf(ini);
    std::string entry = std::string(key) + "=" + std::string(value);
    Place place = Locate(ini, section, key);
    std::string out;
    if (place.keyFound) {
        size_t contentEnd = place.line.end;
        if (contentEnd > place.line.start && ini[contentEnd - 1] == '\r') --contentEnd;
        out = std::string(ini.substr(0, place.line.start)) + entry + std::string(ini.substr(contentEnd));
    } else if (place.sectionFound) {
        std::string before(ini.substr(0, place.insertAt));
        if (!before.empty() && before.back() != '\n') before += lineBreak;
        out = before + entry + std::string(lineBreak) + std::string(ini.substr(place.insertAt));
    } else {
        out = std::string(ini);
        if (!out.empty() && out.back() != '\n') out += lineBreak;
        out += "[" + std::string(section) + "]" + std::string(lineBreak) + entry + std::string(lineBreak);
    }
    return out;
}

}  // namespace common
