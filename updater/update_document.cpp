#include "updater/update_document.h"

#include <memory>
#include <optional>
#include <unordered_set>

#include "services/xml_document.h"
#include "services/xml_entities.h"
#include "updater/gbk_bytes.h"

namespace updater {
namespace {

constexpr size_t kLongestDetail = 48;

// The value cut on a character boundary, so that it can be shown.
std::string Shown(std::string_view value) {
    if (value.size() <= kLongestDetail) return std::string(value);
    size_t end = 0;
    while (end < kLongestDetail) {
        size_t length = GbkCharacterLength(value, end);
        end += length == 0 ? 1 : length;
    }
    return std::string(value.substr(0, end)) + "...";
}

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
        size_t length = GbkCharacterLength(version, i);
        if (length == 0) return false;
        auto byte = static_cast<unsigned char>(version[i]);
        // The INI reader strips quotes and the file holds one value per line.
        if (length == 1 && (byte < 0x20 || byte == 0x7F || byte == '"' || byte == '\'')) return false;
        i += length;
    }
    return true;
}

bool ParseSize(std::string_view text, uint64_t* size) {
    if (text.empty() || text.size() > 20) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > kLargestFile) return false;
    }
    *size = value;
    return true;
}

bool ParseHash(std::string_view text, std::string* hash) {
    if (text.size() != 64) return false;
    hash->clear();
    for (char c : text) {
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
        *hash += c;
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
    if (!ParseSize(services::DecodeXmlEntities(size->value), &file->size))
        return Problem(DocumentStatus::BadSize, entry, size->value);
    if (!ParseHash(services::DecodeXmlEntities(hash->value), &file->sha256))
        return Problem(DocumentStatus::BadHash, entry, hash->value);
    return {};
}

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
    services::XmlDocumentHolder holder;
    if (!holder.Load(bytes)) return Problem(DocumentStatus::NotXml);
    // Read the way the launcher reads it, so that both agree on the version.
    std::optional<std::string> version = holder.NodeText("Info/Version");
    if (!version || version->empty()) return Problem(DocumentStatus::NoVersion);
    if (!IsValidVersion(*version)) return Problem(DocumentStatus::BadVersion, 0, *version);
    document->version = *version;

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

std::string WriteUpdateDocument(const UpdateDocument& document) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"gbk\"?>\r\n<Info>\r\n";
    xml += "  <Version>" + services::EncodeXmlEntities(document.version) + "</Version>\r\n";
    xml += "  <Files base=\"" + services::EncodeXmlEntities(document.base) + "\">\r\n";
    for (const ListedFile& file : document.files) {
        xml += "    <File path=\"" + services::EncodeXmlEntities(file.path) + "\" size=\"" +
               std::to_string(file.size) + "\" sha256=\"" + file.sha256 + "\"/>\r\n";
    }
    xml += "  </Files>\r\n</Info>\r\n";
    return xml;
}

std::string DescribeDocumentProblem(const DocumentProblem& problem) {
    std::string entry = "第 " + std::to_string(problem.entry) + " 项（" + problem.detail + "）";
    switch (problem.status) {
    case DocumentStatus::Ok: return std::string();
    case DocumentStatus::TooLarge: return "更新列表过大，已拒绝更新";
    case DocumentStatus::NotXml: return "更新列表无法解析";
    case DocumentStatus::NoVersion: return "更新列表没有版本号";
    case DocumentStatus::BadVersion: return "更新列表的版本号不可用（" + problem.detail + "）";
    case DocumentStatus::NoFileList: return "更新服务器没有提供文件列表";
    case DocumentStatus::TooManyFiles:
        return "更新列表的文件超过 " + std::to_string(kMostFiles) + " 个，已拒绝更新";
    case DocumentStatus::MissingAttribute: return "更新列表" + entry + "缺少路径、大小或校验值，已拒绝更新";
    case DocumentStatus::BadPath: return "更新列表" + entry + "的路径不安全，已拒绝更新";
    case DocumentStatus::BadSize: return "更新列表" + entry + "的文件大小不合理，已拒绝更新";
    case DocumentStatus::BadHash: return "更新列表" + entry + "的校验值不正确，已拒绝更新";
    case DocumentStatus::DuplicatePath: return "更新列表" + entry + "与前面的文件重名，已拒绝更新";
    case DocumentStatus::PathConflict: return "更新列表" + entry + "与另一项的文件夹冲突，已拒绝更新";
    }
    return std::string();
}

}  // namespace updater
