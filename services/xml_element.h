// One element of a parsed XML document. Names, values and attributes are the
// GBK bytes as written; values keep their entities encoded.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace services {

struct XmlAttribute {
    std::string name;
    std::string value;
};

struct XmlElement {
    std::string name;
    std::string value;  // trimmed character content, or the CDATA section's content
    bool isCData = false;
    std::vector<XmlAttribute> attributes;
    std::vector<std::unique_ptr<XmlElement>> children;

    XmlElement() = default;
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;
    // Releases the subtree without recursion, so a deeply nested document
    // cannot exhaust the stack.
    ~XmlElement();
};

}  // namespace services
