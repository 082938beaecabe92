#include "services/xml_element.h"

namespace services {

XmlElement::~XmlElement() {
    std::vector<std::unique_ptr<XmlElement>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<XmlElement> element = std::move(pending.back());
        pending.pop_back();
        for (auto& child : element->children) pending.push_back(std::move(child));
        element->children.clear();
    }
}

}  // namespace services
