#include "update_format/update_document.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_set>

#include "common/ascii.h"
#include "common/hex.h"
#include "common/text/gbk.h"
#include "common/utc_time.h"
#include "services/xml_document.h"
#include "services/xml_entities.h"
#include "update_format/chunk_index.h"

namespace updater {
namespace {

constexpr size_t kLongestDetail = 48;

// The value cut on a character boundary, so that it can be shown.
std::string Shown(std::string_view value) {
    if (value.size() <= kLongestDetail) return std::string(value);
    size_t end = 0;
    while (end < kLongestDetail) {
        size_t length = common::GbkCharacterLength(value, end);
        end += length == 0 ? 1 : length;
    }
    return std::string(value.substr(0, end)) + "...";
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

const services::XmlAttribute* FindAttribute(const services::XmlElement& element, std::string_view name) {
    for (const auto& attribute : element.attributes) {
        if (attribute.name == name) return &attribute;
    }
    return nullptr;
}

bool IsValidVersion(std::string_view version) {
    if (version.empty() || version.size() > kLongestVersion) return false;
    if (version.front() == ' ' || version.back() == ' ') return false;
    for (size_t i = 0; i < version.size();) {
        size_t length = common::GbkCharacterLength(version, i);
        if (length == 0) return false;
        auto byte = static_cast<unsigned char>(version[i]);
        // The INI reader strips quotes and the file holds one value per line.
        if (length == 1 && (byte < 0x20 || byte == 0x7F || byte == '"' || byte == '\'')) return false;
        i += length;
    }
    return true;
}

// Decimal digits only, at most `largest` (which stays far below 2^64).
bool ParseDecimal(std::string_view text, uint64_t largest, uint64_t* number) {
    if (text.empty() || text.size() > 20) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > largest) return false;
    }
    *number = value;
    return true;
}

bool ParseHash(std::string_view text, std::string* hash) {
    if (text.size() != 64) return false;
    hash->clear();
    for (char c : text) {
        const int digit = common::HexDigitValue(c);
        if (digit < 0) return false;
        *hash += common::kLowerHexDigits[digit];
    }
    return true;
}

DocumentProblem Problem(DocumentStatus status, size_t entry = 0, std::string_view detail = {}) {
    DocumentProblem problem;
    problem.status = status;
    problem.entry = entry;
    problem.detail = Shown(detail);
    return problem;
}

DocumentProblem ReadEntry(const services::XmlElement& element, size_t entry, ListedFile* file) {
    const services::XmlAttribute* path = FindAttribute(element, "path");
    const services::XmlAttribute* size = FindAttribute(element, "size");
    const services::XmlAttribute* hash = FindAttribute(element, "sha256");
    if (!path || !size || !hash) {
        return Problem(DocumentStatus::MissingAttribute, entry,
                       path ? services::DecodeXmlEntities(path->value) : std::string());
    }
    std::string pathText = services::DecodeXmlEntities(path->value);
    if (PathProblem pathProblem = CheckEntryPath(pathText); pathProblem != PathProblem::None) {
        DocumentProblem problem = Problem(DocumentStatus::BadPath, entry, pathText);
        problem.pathProblem = pathProblem;
        return problem;
    }
    file->path = NormalisedEntryPath(pathText);
    if (!ParseDecimal(services::DecodeXmlEntities(size->value), kLargestFile, &file->size))
        return Problem(DocumentStatus::BadSize, entry, size->value);
    if (!ParseHash(services::DecodeXmlEntities(hash->value), &file->sha256))
        return Problem(DocumentStatus::BadHash, entry, hash->value);
    const services::XmlAttribute* chunksSize = FindAttribute(element, "chunks-size");
    const services::XmlAttribute* chunksHash = FindAttribute(element, "chunks-sha256");
    if (chunksSize || chunksHash) {
        if (!chunksSize || !chunksHash ||
            !ParseDecimal(services::DecodeXmlEntities(chunksSize->value), kLargestIndex, &file->chunksSize) ||
            file->chunksSize < kIndexHeaderSize ||
            !ParseHash(services::DecodeXmlEntities(chunksHash->value), &file->chunksSha256))
            return Problem(DocumentStatus::BadChunkIndex, entry, pathText);
    }
    return {};
}

// What the updater reads, in one place: each element and attribute it reads
// may appear at most once, so no two readers can pick different ones.
// Anything else is left alone, so that a newer publish tool may add to it.
struct ElementRule {
    std::string_view name;
    std::string_view attributes[5];  // read from it, each at most once (unused slots empty)
};
constexpr ElementRule kInfoChildren[] = {
    {"Version", {}}, {"Expires", {}}, {"Sequence", {}}, {"Files", {"base"}},
};
constexpr ElementRule kFileEntry = {"File", {"path", "size", "sha256", "chunks-size", "chunks-sha256"}};

DocumentProblem CheckAttributesOnce(const services::XmlElement& element, const ElementRule& rule, size_t entry) {
    for (std::string_view name : rule.attributes) {
        if (name.empty()) continue;
        size_t count = std::count_if(element.attributes.begin(), element.attributes.end(),
                                     [&](const services::XmlAttribute& attribute) { return attribute.name == name; });
        if (count > 1) return Problem(DocumentStatus::Ambiguous, entry, std::string(rule.name) + "@" + std::string(name));
    }
    return {};
}

DocumentProblem CheckShape(const services::XmlElement& root) {
    if (root.name != "Info") return {};  // reported as a document without a version
    for (const ElementRule& rule : kInfoChildren) {
        const services::XmlElement* found = nullptr;
        for (const auto& child : root.children) {
            if (child->name != rule.name) continue;
            if (found) return Problem(DocumentStatus::Ambiguous, 0, rule.name);
            found = child.get();
            if (DocumentProblem problem = CheckAttributesOnce(*child, rule, 0); problem.status != DocumentStatus::Ok)
                return problem;
        }
        if (found && rule.name == "Files") {
            size_t entry = 0;
            for (const auto& file : found->children) {
                if (file->name != kFileEntry.name) continue;
                DocumentProblem problem = CheckAttributesOnce(*file, kFileEntry, ++entry);
                if (problem.status != DocumentStatus::Ok) return problem;
            }
        }
    }
    return {};
}

// The document must say that it is GBK, the encoding the launcher reads it
// in: a reader that honours another declaration (or the UTF-8 of none) would
// read other texts from the same bytes.
bool DeclaresGbk(std::string_view bytes) {
    if (!bytes.starts_with("<?xml") || bytes.size() < 6 || !IsBlank(bytes[5])) return false;
    std::string encoding;
    size_t at = 5, named = 0;
    // Pseudo-attributes one after the other, so that a value cannot pass for a name.
    for (;;) {
        while (at < bytes.size() && IsBlank(bytes[at])) ++at;
        if (bytes.substr(at, 2) == "?>") break;
        size_t nameEnd = at;
        while (nameEnd < bytes.size() && ((bytes[nameEnd] >= 'a' && bytes[nameEnd] <= 'z'))) ++nameEnd;
        std::string_view name = bytes.substr(at, nameEnd - at);
        at = nameEnd;
        while (at < bytes.size() && IsBlank(bytes[at])) ++at;
        if (name.empty() || at >= bytes.size() || bytes[at] != '=') return false;
        ++at;
        while (at < bytes.size() && IsBlank(bytes[at])) ++at;
        if (at >= bytes.size() || (bytes[at] != '"' && bytes[at] != '\'')) return false;
        size_t close = bytes.find(bytes[at], at + 1);
        if (close == std::string_view::npos) return false;
        if (name == "encoding") {
            encoding.assign(bytes.substr(at + 1, close - at - 1));
            ++named;
        }
        at = close + 1;
    }
    return named == 1 && common::EqualIgnoringAsciiCase(encoding, "gbk");
}

// Entities a document type defines are expanded by other readers, not by the launcher.
bool HasDocumentType(std::string_view bytes) { return bytes.find("<!DOCTYPE") != std::string_view::npos; }

// No two entries name the same file, and no entry's file is another entry's folder.
DocumentProblem CheckEntriesApart(const std::vector<ListedFile>& files) {
    std::unordered_set<std::string> fileKeys;
    std::unordered_set<std::string> folderKeys;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!fileKeys.insert(EntryPathKey(files[i].path)).second)
            return Problem(DocumentStatus::DuplicatePath, i + 1, files[i].path);
        for (const std::string& folder : EnclosingFolders(files[i].path)) folderKeys.insert(EntryPathKey(folder));
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (folderKeys.count(EntryPathKey(files[i].path)))
            return Problem(DocumentStatus::PathConflict, i + 1, files[i].path);
    }
    return {};
}

}  // namespace

DocumentProblem ParseUpdateDocument(std::string_view bytes, UpdateDocument* result) {
    *result = UpdateDocument();
    UpdateDocument parsed;
    UpdateDocument* document = &parsed;
    if (bytes.size() > kLargestDocument) return Problem(DocumentStatus::TooLarge);
    if (!DeclaresGbk(bytes) || HasDocumentType(bytes)) return Problem(DocumentStatus::NotGbk);
    services::XmlDocumentHolder holder;
    if (!holder.Load(bytes)) return Problem(DocumentStatus::NotXml);
    if (DocumentProblem problem = CheckShape(*holder.root); problem.status != DocumentStatus::Ok) return problem;
    // Read the way the launcher reads it, so that both agree on the version.
    std::optional<std::string> version = holder.NodeText("Info/Version");
    if (!version || version->empty()) return Problem(DocumentStatus::NoVersion);
    if (!IsValidVersion(*version)) return Problem(DocumentStatus::BadVersion, 0, *version);
    document->version = *version;

    std::optional<std::string> expires = holder.NodeText("Info/Expires");
    if (!expires) return Problem(DocumentStatus::NoExpiry);
    std::optional<int64_t> expiry = common::ParseUtcTime(*expires);
    if (!expiry) return Problem(DocumentStatus::BadExpiry, 0, *expires);
    document->expires = *expiry;
    std::optional<std::string> sequence = holder.NodeText("Info/Sequence");
    if (!sequence) return Problem(DocumentStatus::NoSequence);
    if (!ParseDecimal(*sequence, kLargestSequence, &document->sequence))
        return Problem(DocumentStatus::BadSequence, 0, *sequence);

    const services::XmlElement* list = holder.Find("Info/Files");
    if (!list) return Problem(DocumentStatus::NoFileList);
    if (const services::XmlAttribute* base = FindAttribute(*list, "base"))
        document->base = services::DecodeXmlEntities(base->value);

    size_t entry = 0;
    for (const auto& child : list->children) {
        if (child->name != "File") continue;
        if (++entry > kMostFiles) return Problem(DocumentStatus::TooManyFiles, entry);
        ListedFile file;
        DocumentProblem problem = ReadEntry(*child, entry, &file);
        if (problem.status != DocumentStatus::Ok) return problem;
        document->files.push_back(std::move(file));
    }
    DocumentProblem problem = CheckEntriesApart(document->files);
    if (problem.status == DocumentStatus::Ok) *result = std::move(parsed);
    return problem;
}

std::string DescribeDocumentProblem(const DocumentProblem& problem) {
    std::string entry = "第 " + std::to_string(problem.entry) + " 项（" + problem.detail + "）";
    switch (problem.status) {
    case DocumentStatus::Ok: return std::string();
    case DocumentStatus::TooLarge: return "更新列表过大，已拒绝更新";
    case DocumentStatus::NotXml: return "更新列表无法解析";
    case DocumentStatus::NotGbk: return "更新列表没有声明 GBK 编码，已拒绝更新";
    case DocumentStatus::Ambiguous: return "更新列表中的 " + problem.detail + " 出现了不止一次，已拒绝更新";
    case DocumentStatus::NoVersion: return "更新列表没有版本号";
    case DocumentStatus::BadVersion: return "更新列表的版本号不可用（" + problem.detail + "）";
    case DocumentStatus::NoExpiry: return "更新列表没有有效期";
    case DocumentStatus::BadExpiry: return "更新列表的有效期不可用（" + problem.detail + "）";
    case DocumentStatus::NoSequence: return "更新列表没有序号";
    case DocumentStatus::BadSequence: return "更新列表的序号不可用（" + problem.detail + "）";
    case DocumentStatus::NoFileList: return "更新服务器没有提供文件列表";
    case DocumentStatus::TooManyFiles:
        return "更新列表的文件超过 " + std::to_string(kMostFiles) + " 个，已拒绝更新";
    case DocumentStatus::MissingAttribute: return "更新列表" + entry + "缺少路径、大小或校验值，已拒绝更新";
    case DocumentStatus::BadPath: return "更新列表" + entry + "的路径不安全，已拒绝更新";
    case DocumentStatus::BadSize: return "更新列表" + entry + "的文件大小不合理，已拒绝更新";
    case DocumentStatus::BadHash: return "更新列表" + entry + "的校验值不正确，已拒绝更新";
    case DocumentStatus::BadChunkIndex: return "更新列表" + entry + "的分块索引信息不正确，已拒绝更新";
    case DocumentStatus::DuplicatePath: return "更新列表" + entry + "与前面的文件重名，已拒绝更新";
    case DocumentStatus::PathConflict: return "更新列表" + entry + "与另一项的文件夹冲突，已拒绝更新";
    }
    return std::string();
}

}  // namespace updater
