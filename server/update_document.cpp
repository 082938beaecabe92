#include "server/update_document.h"

#include <fstream>
#include <iterator>

namespace server {

namespace {

constexpr std::string_view kIniSection = "更新配置";
constexpr std::string_view kIniKey = "当前版本";

std::string_view Trim(std::string_view text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

std::string EscapeXml(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

bool UpdateDocument::FindIniValue(std::string_view ini, std::string_view section, std::string_view key,
                                  std::string& value) {
    bool inSection = false;
    while (!ini.empty()) {
        size_t end = ini.find('\n');
        std::string_view line = Trim(ini.substr(0, end));
        ini = end == std::string_view::npos ? std::string_view() : ini.substr(end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            // A GBK trail byte may be ']', so the closing bracket is the last one.
            size_t close = line.rfind(']');
            inSection = close != std::string_view::npos && SameName(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos || !SameName(Trim(line.substr(0, equals)), key)) continue;
        std::string_view found = Trim(line.substr(equals + 1));
        if (found.size() >= 2 && (found.front() == '"' || found.front() == '\'') && found.back() == found.front()) {
            found = found.substr(1, found.size() - 2);
        }
        value.assign(found);
        return true;
    }
    return false;
}

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
        if (!FindIniValue(ini, kIniSection, kIniKey, version)) {
            problem = "no version key in " + source_.value;
            return false;
        }
        break;
    }
    }
    xml = "<?xml version=\"1.0\" encoding=\"gbk\"?><Info><Version>" + EscapeXml(version) + "</Version></Info>";
    return true;
}

}  // namespace server
