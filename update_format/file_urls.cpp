#include "update_format/file_urls.h"

#include <vector>

#include "common/ascii.h"
#include "common/hex.h"

namespace updater {
namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && common::EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// Length of "http://" or "https://", or 0.
size_t SchemeLength(std::string_view url) {
    if (StartsWithIgnoringCase(url, "http://")) return 7;
    if (StartsWithIgnoringCase(url, "https://")) return 8;
    return 0;
}

bool AllVisibleAscii(std::string_view text) {
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '\\') return false;
    }
    return true;
}

// "scheme://host[:port]" of an http(s) URL.
std::string_view Origin(std::string_view url) {
    size_t scheme = SchemeLength(url);
    size_t pathStart = url.find('/', scheme);
    return url.substr(0, pathStart == std::string_view::npos ? url.size() : pathStart);
}

// A path from the root with "." and ".." segments applied; ".." never climbs above the root.
std::string WithoutDotSegments(std::string_view path) {
    std::vector<std::string_view> kept;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view segment = path.substr(start, end - start);
        bool last = end == path.size();
        if (segment == "..") {
            if (!kept.empty()) kept.pop_back();
            if (last) kept.push_back("");
        } else if (segment == ".") {
            if (last) kept.push_back("");
        } else {
            kept.push_back(segment);
        }
        start = end + 1;
    }
    std::string out;
    for (std::string_view segment : kept) out += "/" + std::string(segment);
    return out.empty() ? "/" : out;
}

}  // namespace

bool IsHttpUrl(std::string_view url) {
    size_t scheme = SchemeLength(url);
    if (scheme == 0 || !AllVisibleAscii(url)) return false;
    std::string_view host = Origin(url).substr(scheme);
    return !host.empty() && host.find_first_of("@?#") == std::string_view::npos;
}

std::optional<std::string> ResolveBaseUrl(std::string_view documentUrl, std::string_view base) {
    documentUrl = documentUrl.substr(0, documentUrl.find_first_of("?#"));
    if (!IsHttpUrl(documentUrl) || !AllVisibleAscii(base)) return std::nullopt;
    if (base.find_first_of("?#") != std::string_view::npos) return std::nullopt;

    std::string_view origin;
    std::string path;
    if (SchemeLength(base) != 0) {
        if (!IsHttpUrl(base)) return std::nullopt;
        origin = Origin(base);
        path = std::string(base.substr(origin.size()));
    } else if (base.starts_with("//")) {
        return std::nullopt;  // another host, but without saying how to reach it
    } else if (base.find(':') < base.find('/')) {
        return std::nullopt;  // some other scheme
    } else {
        origin = Origin(documentUrl);
        std::string_view documentPath = documentUrl.substr(origin.size());
        if (documentPath.empty()) documentPath = "/";
        if (base.starts_with("/")) {
            path = std::string(base);
        } else {
            path = std::string(documentPath.substr(0, documentPath.rfind('/') + 1)) + std::string(base);
        }
    }
    if (path.empty()) path = "/";
    path = WithoutDotSegments(path);
    if (path.back() != '/') path += '/';
    return std::string(origin) + path;
}

std::string FileUrl(std::string_view folderUrl, std::string_view utf8Path) {
    std::string url(folderUrl);
    for (char c : utf8Path) {
        auto byte = static_cast<unsigned char>(c);
        bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '.' || c == '_' || c == '~';
        if (c == '\\' || c == '/') {
            url += '/';
        } else if (unreserved) {
            url += c;
        } else {
            url += '%';
            url += common::kUpperHexDigits[byte >> 4];
            url += common::kUpperHexDigits[byte & 15];
        }
    }
    return url;
}

}  // namespace updater
