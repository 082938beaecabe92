// Own properties of component types: their kinds, and the raw values the
// types' get and set functions exchange with the runtime.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// Property kinds (1000 + n): how the runtime converts a raw value for
// program code.
enum PropertyKind : uint32_t {
    kPropertyInteger = 1001,
    kPropertyBool = 1002,
    kPropertyText = 1003,
    kPropertyBytes = 1004,
    kPropertyPicture = 1005,
    kPropertyColour = 1006,
    kPropertyPick = 1007,
    kPropertySound = 1008,
    kPropertyFileName = 1009,
    kPropertyTextList = 1010,
    kPropertyIntegerList = 1011,
    kPropertyDataLink = 1012,
    kPropertyFont = 1013,  // a 60-byte LOGFONTA
    kPropertyIcon = 1014,
    kPropertyCursor = 1015,
};

struct PropertyDescriptor {
    const char* name;         // Chinese name
    const char* englishName;
    uint32_t kind;
};

// A raw property value: integers, bools, colours and picks use `integer`;
// texts (GBK, no terminator), byte data and fonts use `bytes`; lists use
// `items` (texts) or `integers`.
struct PropertyValue {
    int32_t integer = 0;
    std::string bytes;
    std::vector<std::string> items;
    std::vector<int32_t> integers;

    static PropertyValue Integer(int32_t value) { PropertyValue v; v.integer = value; return v; }
    bool operator==(const PropertyValue& other) const = default;
    static PropertyValue Bytes(std::string_view value) { PropertyValue v; v.bytes = std::string(value); return v; }
};

// Font members as program code addresses them one at a time.
enum FontMember : int32_t {
    kFontMemberFace = 0,
    kFontMemberBold = 1,  // written as weight 700 or 0
    kFontMemberItalic = 2,
    kFontMemberUnderline = 3,
    kFontMemberStrikeOut = 4,
    kFontMemberHeight = 5,
    kFontMemberCharSet = 6,
};

}  // namespace rt
