// The update document: the launcher reads only Info/Version; the updater also
// reads the expiry, the sequence number and the file list of the published
// version, once the document's signature has been verified.
//
//   <?xml version="1.0" encoding="gbk"?>
//   <Info>
//     <Version>1.0.1</Version>
//     <Expires>2027-01-07T00:00:00Z</Expires>
//     <Sequence>12</Sequence>
//     <Files base="files/1.0.1/">
//       <File path="data\map01.dat" size="1234" sha256="...64 hex..."/>
//       <File path="data\big.pak" size="..." sha256="..." chunks-size="..." chunks-sha256="..."/>
//     </Files>
//   </Info>
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/update_document_writer.h"
#include "update_format/entry_paths.h"

namespace updater {

using common::ListedFile;
using common::UpdateDocument;
using common::WriteUpdateDocument;

// Limits that a hostile document could otherwise push the updater past.
constexpr size_t kLargestDocument = 16 << 20;
constexpr size_t kMostFiles = 50000;
constexpr uint64_t kLargestFile = uint64_t(1) << 36;
constexpr size_t kLongestVersion = 64;
constexpr uint64_t kLargestSequence = 1000000000000000000;  // 10^18: ten digits per second for 3 billion years

enum class DocumentStatus {
    Ok,
    TooLarge,
    NotXml,
    NotGbk,        // no encoding declaration, or one other than GBK's
    Ambiguous,     // a second element or attribute that readers could pick differently
    NoVersion,
    BadVersion,
    NoExpiry,
    BadExpiry,
    NoSequence,
    BadSequence,
    NoFileList,
    TooManyFiles,
    MissingAttribute,
    BadPath,
    BadSize,
    BadHash,
    BadChunkIndex,  // a chunk index named without its size or hash, or with a bad one
    DuplicatePath,
    PathConflict,  // one entry's folder is another entry's file
};

struct DocumentProblem {
    DocumentStatus status = DocumentStatus::Ok;
    size_t entry = 0;          // 1-based index of the File element at fault, 0 for the document
    std::string detail;        // the offending value or name as written (cut to a readable length)
    PathProblem pathProblem = PathProblem::None;
};

// Parses and checks the whole document; one bad entry refuses all of it.
DocumentProblem ParseUpdateDocument(std::string_view bytes, UpdateDocument* document);

// One line of plain Chinese (GBK) that names what is wrong.
std::string DescribeDocumentProblem(const DocumentProblem& problem);

}  // namespace updater
