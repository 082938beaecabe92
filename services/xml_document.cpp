#include "services/xml_document.h"

#include <vector>

#include "common/text/gbk.h"
#include "services/file_bytes.h"
#include "services/xml_entities.h"
#include "services/xml_parser.h"

namespace services {
namespace {

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> segments;
    size_t start = 0;
    size_t i = 0;
    while (i < path.size()) {
        if (path[i] == '/') {
            segments.push_back(path.substr(start, i - start));
            start = ++i;
        } else {
            i += common::CharacterStep(path, i, common::IsXmlCommandLeadByte);
        }
    }
    segments.push_back(path.substr(start));
    return segments;
}

// "@n" with decimal digits and n >= 1.
bool ChildOrdinal(std::string_view segment, size_t* ordinal) {
    if (segment.size() < 2 || segment[0] != '@') return false;
    size_t value = 0;
    for (char c : segment.substr(1)) {
        if (c < '0' || c > '9') return false;
        if (value < 100000000) value = value * 10 + static_cast<size_t>(c - '0');
    }
    *ordinal = value;
    return value >= 1;
}

const XmlElement* Child(const XmlElement& parent, std::string_view segment) {
    size_t ordinal = 0;
    if (ChildOrdinal(segment, &ordinal)) {
        return ordinal <= parent.children.size() ? parent.children[ordinal - 1].get() : nullptr;
    }
    for (const auto& child : parent.children) {
        if (child->name == segment) return child.get();
    }
    return nullptr;
}

}  // namespace

bool XmlDocumentHolder::Load(std::string_view documentBytes) {
    if (documentBytes.empty()) return false;
    Release();
    std::unique_ptr<XmlElement> parsed;
    if (ParseXml(RemoveXmlComments(documentBytes), &parsed) != XmlParseStatus::kOk) return false;
    root = std::move(parsed);
    loaded = true;
    return true;
}

bool XmlDocumentHolder::LoadFile(const char* fileName) {
    if (!fileName || !*fileName) return false;
    Release();
    std::string bytes;
    if (!ReadFileBytes(fileName, &bytes)) return false;
    return Load(bytes);
}

bool XmlDocumentHolder::Release() {
    bool held = loaded;
    root.reset();
    loaded = false;
    return held;
}

const XmlElement* XmlDocumentHolder::Find(std::string_view path) const {
    if (!loaded || !root || path.empty()) return nullptr;
    std::string encoded = EncodeXmlEntities(path);
    std::vector<std::string_view> segments = SplitPath(encoded);
    if (segments.front() != root->name && segments.front() != "@1") return nullptr;
    const XmlElement* element = root.get();
    for (size_t i = 1; i < segments.size() && element; ++i) element = Child(*element, segments[i]);
    return element;
}

std::optional<std::string> XmlDocumentHolder::NodeText(std::string_view path) const {
    const XmlElement* element = Find(path);
    if (!element) return std::nullopt;
    return element->isCData ? element->value : DecodeXmlEntities(element->value);
}

}  // namespace services
