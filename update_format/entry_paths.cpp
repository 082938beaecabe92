#include "update_format/entry_paths.h"

#include <algorithm>
#include <array>

#include "common/ascii.h"
#include "common/text/gbk.h"
#include "common/update_ini.h"

namespace updater {
namespace {

using common::EqualIgnoringAsciiCase;

// Windows opens these names as devices whatever the folder or extension.
bool IsDeviceName(std::string_view component) {
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    constexpr std::array<std::string_view, 6> kPlain = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (std::string_view name : kPlain) {
        if (EqualIgnoringAsciiCase(stem, name)) return true;
    }
    if (stem.size() == 4 && stem[3] >= '0' && stem[3] <= '9') {
        return EqualIgnoringAsciiCase(stem.substr(0, 3), "com") || EqualIgnoringAsciiCase(stem.substr(0, 3), "lpt");
    }
    return false;
}

PathProblem CheckComponent(std::string_view component) {
    if (component.empty()) return PathProblem::EmptyComponent;
    if (component == "." || component == "..") return PathProblem::DotComponent;
    if (component.size() > kLongestComponent) return PathProblem::ComponentTooLong;
    if (component.back() == '.' || component.back() == ' ') return PathProblem::TrailingDotOrBlank;
    if (IsDeviceName(component)) return PathProblem::DeviceName;
    return PathProblem::None;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

PathProblem CheckEntryPath(std::string_view path) {
    if (path.empty()) return PathProblem::Empty;
    if (path.size() > kLongestEntryPath) return PathProblem::TooLong;
    if (IsSeparator(path.front())) return PathProblem::Rooted;

    size_t componentStart = 0;
    for (size_t i = 0; i <= path.size();) {
        if (i == path.size() || IsSeparator(path[i])) {
            PathProblem problem = CheckComponent(path.substr(componentStart, i - componentStart));
            if (problem != PathProblem::None) return problem;
            componentStart = ++i;
            continue;
        }
        size_t length = common::GbkCharacterLength(path, i);
        if (length == 0) return PathProblem::NotGbk;
        if (length == 1) {
            auto byte = static_cast<unsigned char>(path[i]);
            if (byte < 0x20 || byte == 0x7F) return PathProblem::ControlCharacter;
            if (std::string_view("<>\"|?*:").find(path[i]) != std::string_view::npos)
                return PathProblem::ForbiddenCharacter;
        }
        i += length;
    }

    std::string_view first = path.substr(0, std::min(path.find_first_of("\\/"), path.size()));
    if (EqualIgnoringAsciiCase(first, kWorkFolderName) || EqualIgnoringAsciiCase(path, common::kUpdateIniFileName) ||
        EqualIgnoringAsciiCase(path, kSequenceFileName))
        return PathProblem::UpdaterOwnName;
    return PathProblem::None;
}

std::string NormalisedEntryPath(std::string_view path) {
    std::string out(path);
    for (size_t i = 0; i < out.size();) {
        size_t length = common::GbkCharacterLength(out, i);
        if (length == 1 && out[i] == '/') out[i] = '\\';
        i += length == 0 ? 1 : length;
    }
    return out;
}

std::string EntryPathKey(std::string_view normalisedPath) {
    std::string key(normalisedPath);
    for (size_t i = 0; i < key.size();) {
        size_t length = common::GbkCharacterLength(key, i);
        if (length <= 1) key[i] = common::ToLowerAscii(key[i]);
        i += length == 0 ? 1 : length;
    }
    return key;
}

std::vector<std::string> EnclosingFolders(std::string_view normalisedPath) {
    std::vector<std::string> folders;
    for (size_t i = 0; i < normalisedPath.size();) {
        size_t length = common::GbkCharacterLength(normalisedPath, i);
        if (length == 1 && normalisedPath[i] == '\\') folders.emplace_back(normalisedPath.substr(0, i));
        i += length == 0 ? 1 : length;
    }
    return folders;
}

}  // namespace updater
