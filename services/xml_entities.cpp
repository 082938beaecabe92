#include "services/xml_entities.h"

#include "common/text/gbk.h"
#include "common/xml_escape.h"

namespace services {
namespace {

struct Entity {
    std::string_view encoded;
    char character;
};

constexpr Entity kEntities[] = {
    {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&quote;", '"'},
};

}  // namespace

std::string DecodeXmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (common::IsXmlCommandLeadByte(byte) && i + 1 < text.size()) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        bool decoded = false;
        if (byte == '&') {
            for (const Entity& entity : kEntities) {
                if (text.substr(i, entity.encoded.size()) == entity.encoded) {
                    out += entity.character;
                    i += entity.encoded.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded) {
            out += static_cast<char>(byte);
            ++i;
        }
    }
    return out;
}

std::string EncodeXmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (common::IsXmlCommandLeadByte(byte) && i + 1 < text.size()) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        common::AppendXmlEscaped(out, static_cast<char>(byte));
        ++i;
    }
    return out;
}

}  // namespace services
