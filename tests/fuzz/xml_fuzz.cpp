// fuzz-sources: services/xml_element.cpp services/xml_entities.cpp services/xml_parser.cpp services/xml_document.cpp services/file_bytes.cpp
// fuzz-libraries:
// fuzz-seeds: tests/data/xml/*.xml
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "services/xml_document.h"

// The input is a document; its first line also serves as a path to look up.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    services::XmlDocumentHolder holder;
    if (!holder.Load(input)) {
        if (holder.loaded || holder.root) __builtin_trap();  // a failed load holds nothing
        return 0;
    }
    if (!holder.root || holder.root->name.empty()) __builtin_trap();
    holder.NodeText(input.substr(0, input.find('\n')));
    holder.NodeText("@1/@1/@1");
    holder.NodeText(holder.root->name + "/@2");
    for (const auto& child : holder.root->children) holder.NodeText("@1/" + child->name);
    if (!holder.Release() || holder.loaded) __builtin_trap();
    return 0;
}
