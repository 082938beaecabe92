#include "tools/uidriver/json_value.h"

#include <cstdio>

namespace uidriver {
namespace {

void AppendQuoted(const std::string& text, std::string* out) {
    out->push_back('"');
    for (unsigned char c : text) {
        switch (c) {
            case '"': *out += "\\\""; break;
            case '\\': *out += "\\\\"; break;
            case '\n': *out += "\\n"; break;
            case '\r': *out += "\\r"; break;
            case '\t': *out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    *out += escape;
                } else {
                    out->push_back(static_cast<char>(c));
                }
        }
    }
    out->push_back('"');
}

}  // namespace

JsonValue& JsonValue::Set(const std::string& key, JsonValue value) {
    for (auto& member : members_) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    members_.emplace_back(key, std::move(value));
    return *this;
}

JsonValue& JsonValue::Push(JsonValue value) {
    items_.push_back(std::move(value));
    return *this;
}

const JsonValue* JsonValue::Find(const std::string& key) const {
    for (const auto& member : members_)
        if (member.first == key) return &member.second;
    return nullptr;
}

std::string JsonValue::Serialize() const {
    std::string out;
    SerializeTo(&out);
    return out;
}

void JsonValue::SerializeTo(std::string* out) const {
    switch (kind_) {
        case Kind::kNull: *out += "null"; break;
        case Kind::kBool: *out += number_ ? "true" : "false"; break;
        case Kind::kNumber: *out += std::to_string(number_); break;
        case Kind::kString: AppendQuoted(text_, out); break;
        case Kind::kArray:
            out->push_back('[');
            for (size_t i = 0; i < items_.size(); ++i) {
                if (i) out->push_back(',');
                items_[i].SerializeTo(out);
            }
            out->push_back(']');
            break;
        case Kind::kObject:
            out->push_back('{');
            for (size_t i = 0; i < members_.size(); ++i) {
                if (i) out->push_back(',');
                AppendQuoted(members_[i].first, out);
                out->push_back(':');
                members_[i].second.SerializeTo(out);
            }
            out->push_back('}');
            break;
    }
}

std::string HexWord(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace uidriver
