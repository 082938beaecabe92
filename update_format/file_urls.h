// Where each listed file is fetched from: the document's "base" resolved
// against the document's own URL, and the file's path appended.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace updater {

// True for an absolute http or https URL with a host, made of visible ASCII.
bool IsHttpUrl(std::string_view url);

// The folder URL (ending in "/") that `base` names when read relative to the
// document at `documentUrl`: an absolute http(s) URL, a path from the host's
// root, or a path relative to the document's folder; empty means that
// folder. Nothing for any other scheme, or for bytes that a URL cannot hold.
std::optional<std::string> ResolveBaseUrl(std::string_view documentUrl, std::string_view base);

// The URL of a listed file: its path (UTF-8, either separator) percent-encoded
// after the folder URL.
std::string FileUrl(std::string_view folderUrl, std::string_view utf8Path);

}  // namespace updater
