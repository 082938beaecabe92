// The state of an XML-tree component ("XML树", EXMLParser): at most one parsed
// document, loaded from bytes or a file and queried by element path.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "services/xml_element.h"

namespace services {

struct XmlDocumentHolder {
    bool loaded = false;
    std::unique_ptr<XmlElement> root;

    // Releases any held document, then parses the bytes (comments removed).
    // False for empty input or a malformed document, which leaves none held.
    bool Load(std::string_view documentBytes);
    // The same from a file (GBK name); false when it cannot be read.
    bool LoadFile(const char* fileName);
    // True when a document was held.
    bool Release();

    // Element at a "/"-separated path: the first segment names the root (or is
    // "@1"), each further one a child by name or "@n" (n-th child, from 1).
    // Names in the path are compared in their entity-encoded form.
    const XmlElement* Find(std::string_view path) const;
    // The element's value with entities decoded (CDATA as it stands); nothing
    // when the path finds no element.
    std::optional<std::string> NodeText(std::string_view path) const;
};

}  // namespace services
