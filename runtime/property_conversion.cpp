#include "runtime/property_conversion.h"

#include <algorithm>
#include <cstring>

#include "runtime/entry_points.h"
#include "runtime/log_font.h"
#include "runtime/values.h"

namespace rt {
namespace {

// A stored font of any length: short data reads as zero bytes.
LogFont StoredFont(const std::string& stored) {
    uint8_t bytes[LogFont::kSize] = {};
    std::memcpy(bytes, stored.data(), std::min(stored.size(), LogFont::kSize));
    return LogFont::FromBytes(bytes);
}

}  // namespace

uint64_t ConvertForProgram(uint32_t kind, const PropertyValue& raw, int32_t member) {
    switch (kind) {
    case kPropertyBool: return raw.integer ? 1 : 0;
    case kPropertyText:
    case kPropertyFileName:
    case kPropertyDataLink: return PointerPayload(CopyText(raw.bytes));
    case kPropertyBytes:
    case kPropertyPicture:
    case kPropertySound:
    case kPropertyIcon:
    case kPropertyCursor: return PointerPayload(CopyBytes(raw.bytes.data(), raw.bytes.size()));
    case kPropertyFont: {
        if (member == -1) return PointerPayload(CopyBytes(raw.bytes.data(), raw.bytes.size()));
        LogFont font = StoredFont(raw.bytes);
        switch (member) {
        case kFontMemberFace: return PointerPayload(CopyText(font.FaceName()));
        case kFontMemberBold: return font.lfWeight >= 700 ? 1 : 0;
        case kFontMemberItalic: return font.lfItalic ? 1 : 0;
        case kFontMemberUnderline: return font.lfUnderline ? 1 : 0;
        case kFontMemberStrikeOut: return font.lfStrikeOut ? 1 : 0;
        case kFontMemberHeight: return static_cast<uint32_t>(font.lfHeight);
        case kFontMemberCharSet: return font.lfCharSet;
        default: return 0;
        }
    }
    case kPropertyTextList: {
        void* array = nullptr;
        for (const std::string& item : raw.items) {
            char* text = CopyText(item);
            AppendArrayElement(&array, sizeof(char*), &text);
        }
        if (!array) array = CreateArray1(sizeof(char*), 0);
        return PointerPayload(array);
    }
    case kPropertyIntegerList: {
        void* array = CreateArray1(4, static_cast<uint32_t>(raw.integers.size()));
        uint8_t* first = nullptr;
        ArrayElementCount(array, &first);
        if (!raw.integers.empty()) std::memcpy(first, raw.integers.data(), raw.integers.size() * 4);
        return PointerPayload(array);
    }
    default: return static_cast<uint32_t>(raw.integer);
    }
}

PropertyValue ConvertFromProgram(uint32_t kind, uint64_t payload, int32_t member, const PropertyValue& current) {
    PropertyValue value;
    switch (kind) {
    case kPropertyBool: value.integer = static_cast<uint32_t>(payload) ? 1 : 0; break;
    case kPropertyText:
    case kPropertyFileName:
    case kPropertyDataLink: {
        auto text = static_cast<const char*>(PayloadAddress(payload));
        value.bytes = text ? text : "";
        break;
    }
    case kPropertyFont:
        if (member != -1) {
            LogFont font = StoredFont(current.bytes);
            auto word = static_cast<uint32_t>(payload);
            switch (member) {
            case kFontMemberFace: {
                auto text = static_cast<const char*>(PayloadAddress(payload));
                font.SetFaceName(text ? text : "");
                break;
            }
            case kFontMemberBold: font.lfWeight = word ? 700 : 0; break;
            case kFontMemberItalic: font.lfItalic = word ? 1 : 0; break;
            case kFontMemberUnderline: font.lfUnderline = word ? 1 : 0; break;
            case kFontMemberStrikeOut: font.lfStrikeOut = word ? 1 : 0; break;
            case kFontMemberHeight: font.lfHeight = static_cast<int32_t>(word); break;
            case kFontMemberCharSet: font.lfCharSet = static_cast<uint8_t>(word); break;
            default: break;
            }
            value.bytes.resize(LogFont::kSize);
            font.ToBytes(reinterpret_cast<uint8_t*>(value.bytes.data()));
            break;
        }
        [[fallthrough]];
    case kPropertyBytes:
    case kPropertyPicture:
    case kPropertySound:
    case kPropertyIcon:
    case kPropertyCursor: {
        auto set = static_cast<const uint8_t*>(PayloadAddress(payload));
        value.bytes = std::string(ByteSetView(set));
        break;
    }
    case kPropertyTextList: {
        void* array = const_cast<void*>(PayloadAddress(payload));
        uint8_t* first = nullptr;
        uint32_t count = ArrayElementCount(array, &first);
        for (uint32_t i = 0; i < count; ++i) {
            const char* text;
            std::memcpy(&text, first + i * sizeof(char*), sizeof text);
            value.items.emplace_back(text ? text : "");
        }
        break;
    }
    case kPropertyIntegerList: {
        void* array = const_cast<void*>(PayloadAddress(payload));
        uint8_t* first = nullptr;
        uint32_t count = ArrayElementCount(array, &first);
        value.integers.resize(count);
        if (count) std::memcpy(value.integers.data(), first, count * 4);
        break;
    }
    default: value.integer = static_cast<int32_t>(static_cast<uint32_t>(payload)); break;
    }
    return value;
}

}  // namespace rt
