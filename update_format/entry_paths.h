// The paths an update document lists, checked before anything is written:
// relative GBK paths that stay inside the game folder and name ordinary files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updater {

enum class PathProblem {
    None,
    Empty,
    TooLong,
    NotGbk,              // a byte sequence that is not GBK text
    ControlCharacter,
    ForbiddenCharacter,  // < > " | ? * or ":" (drive letters and alternate streams)
    Rooted,              // starts with a separator: absolute, or a UNC name
    EmptyComponent,
    DotComponent,        // "." or ".."
    DeviceName,          // CON, NUL, COM1, ... also with an extension
    TrailingDotOrBlank,
    ComponentTooLong,
    UpdaterOwnName,      // update.ini, the updater's work folder or its sequence file
};

// Longest listed path, in bytes; the game folder's own path must fit beside it.
constexpr size_t kLongestEntryPath = 180;
constexpr size_t kLongestComponent = 120;

// The updater's work folder in the game folder (staged files, backups, journal).
constexpr std::string_view kWorkFolderName = "tovrin.update";
// The updater's record of the highest sequence number verified per key, kept across installs.
constexpr std::string_view kSequenceFileName = "tovrin.sequence";

// Checks a path as listed (either separator); the first problem found.
PathProblem CheckEntryPath(std::string_view path);

// The path with every "/" turned into "\" (double-byte aware).
std::string NormalisedEntryPath(std::string_view path);

// Key under which two paths that name the same file on Windows compare equal
// (ASCII letters folded; double-byte characters kept whole).
std::string EntryPathKey(std::string_view normalisedPath);

// The folders that lead to a normalised path, outermost first: "a\b\c" gives "a", "a\b".
std::vector<std::string> EnclosingFolders(std::string_view normalisedPath);

}  // namespace updater
