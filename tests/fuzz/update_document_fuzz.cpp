// fuzz-sources: update_format/update_document.cpp common/update_document_writer.cpp common/utc_time.cpp update_format/entry_paths.cpp services/xml_element.cpp services/xml_entities.cpp services/xml_parser.cpp services/xml_document.cpp services/file_bytes.cpp
// fuzz-libraries:
// fuzz-seeds: tests/data/updates/*.xml tests/data/xml/*.xml
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "update_format/update_document.h"

// Whatever the bytes, an accepted list holds only safe, distinct paths with
// sane sizes and hashes, and reads back the same once written again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    updater::UpdateDocument document;
    updater::DocumentProblem problem = updater::ParseUpdateDocument(input, &document);
    if (problem.status != updater::DocumentStatus::Ok) {
        if (!document.files.empty() || !document.version.empty()) __builtin_trap();
        updater::DescribeDocumentProblem(problem);
        return 0;
    }
    std::set<std::string> keys;
    for (const updater::ListedFile& file : document.files) {
        if (updater::CheckEntryPath(file.path) != updater::PathProblem::None) __builtin_trap();
        if (!keys.insert(updater::EntryPathKey(file.path)).second) __builtin_trap();
        if (file.size > updater::kLargestFile || file.sha256.size() != 64) __builtin_trap();
    }
    updater::UpdateDocument again;
    if (updater::ParseUpdateDocument(updater::WriteUpdateDocument(document), &again).status !=
            updater::DocumentStatus::Ok ||
        again.version != document.version || again.base != document.base || again.expires != document.expires ||
        again.sequence != document.sequence ||
        again.files.size() != document.files.size())
        __builtin_trap();
    for (size_t i = 0; i < document.files.size(); ++i) {
        if (again.files[i].path != document.files[i].path || again.files[i].sha256 != document.files[i].sha256)
            __builtin_trap();
    }
    return 0;
}
