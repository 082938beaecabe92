// Value records, type codes and ids: the unit in which program code and the
// runtime exchange values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace rt {

// 32-bit type codes. Basic types have bit 31 set; a component type used as a
// data type is (library number << 16) | type index, both 1-based.
enum TypeCode : uint32_t {
    kTypeNone = 0,  // an omitted optional argument
    kTypeByte = 0x80000101,
    kTypeShort = 0x80000201,
    kTypeInteger = 0x80000301,
    kTypeLong = 0x80000401,
    kTypeFloat = 0x80000501,
    kTypeDouble = 0x80000601,
    kTypeBool = 0x80000002,
    kTypeDateTime = 0x80000003,
    kTypeText = 0x80000004,
    kTypeByteSet = 0x80000005,
    kTypeSubroutine = 0x80000006,
    kTypeSystemValue8 = 0x80000008,
};

// Marks an array of the type in the low bits.
constexpr uint32_t kArrayFlag = 0x20000000;

constexpr bool IsBasicType(uint32_t type) { return (type & 0x80000000u) != 0; }
constexpr bool IsArrayType(uint32_t type) { return (type & kArrayFlag) != 0; }
constexpr uint32_t ElementTypeOf(uint32_t type) { return type & ~kArrayFlag; }
constexpr bool IsNumericType(uint32_t type) {
    return type == kTypeByte || type == kTypeShort || type == kTypeInteger || type == kTypeLong ||
           type == kTypeFloat || type == kTypeDouble;
}
constexpr uint32_t ComponentTypeCode(uint32_t library, uint32_t typeIndex) {
    return (library << 16) | typeIndex;
}

#pragma pack(push, 4)
// 12 bytes: an 8-byte payload followed by the type code. Texts, byte sets and
// arrays keep their pointer in the payload (the low word on the 32-bit
// product); a component reference keeps the form id low and the unit id high.
struct ValueRecord {
    uint8_t payload[8];
    uint32_t type;
};
#pragma pack(pop)
static_assert(sizeof(ValueRecord) == 12, "ValueRecord is 12 bytes");

// Payload accessors; a ValueRecord is only ever touched through these. The
// typed readers check the type tag in debug builds: reading a value as a
// type it does not have is a fault of the caller.
#ifdef NDEBUG
inline void CheckValueType(const ValueRecord&, std::initializer_list<uint32_t>, const char*) {}
#else
inline void CheckValueType(const ValueRecord& v, std::initializer_list<uint32_t> allowed, const char* reader) {
    for (uint32_t type : allowed)
        if (v.type == type) return;
    std::fprintf(stderr, "%s read a value of type 0x%08X\n", reader, v.type);
    std::abort();
}
#endif

inline uint32_t PayloadLow(const ValueRecord& v) { uint32_t w; std::memcpy(&w, v.payload, 4); return w; }
inline uint32_t PayloadHigh(const ValueRecord& v) { uint32_t w; std::memcpy(&w, v.payload + 4, 4); return w; }
inline uint64_t Payload64(const ValueRecord& v) { uint64_t w; std::memcpy(&w, v.payload, 8); return w; }
inline void SetPayload64(ValueRecord& v, uint64_t w) { std::memcpy(v.payload, &w, 8); }
inline void* PayloadPointer(const ValueRecord& v) { void* p; std::memcpy(&p, v.payload, sizeof p); return p; }

inline ValueRecord MakeInteger(int32_t value) {
    ValueRecord v{}; std::memcpy(v.payload, &value, 4); v.type = kTypeInteger; return v;
}
inline ValueRecord MakeBool(bool value) {
    ValueRecord v{}; uint32_t w = value ? 1 : 0; std::memcpy(v.payload, &w, 4); v.type = kTypeBool; return v;
}
inline ValueRecord MakeDouble(double value) {
    ValueRecord v{}; std::memcpy(v.payload, &value, 8); v.type = kTypeDouble; return v;
}
inline ValueRecord MakeLong(int64_t value) {
    ValueRecord v{}; std::memcpy(v.payload, &value, 8); v.type = kTypeLong; return v;
}
// Texts and byte sets: the record borrows the pointer; ownership is the caller's.
inline ValueRecord MakePointer(const void* pointer, uint32_t type) {
    ValueRecord v{}; std::memcpy(v.payload, &pointer, sizeof pointer); v.type = type; return v;
}
inline ValueRecord MakeText(const char* text) { return MakePointer(text, kTypeText); }
inline ValueRecord MakeByteSetValue(const uint8_t* byteSet) { return MakePointer(byteSet, kTypeByteSet); }
inline ValueRecord MakeComponentRef(uint32_t formId, uint32_t unitId, uint32_t type) {
    ValueRecord v{}; std::memcpy(v.payload, &formId, 4); std::memcpy(v.payload + 4, &unitId, 4); v.type = type; return v;
}

// The low word as an integer or bool, whatever the value's type.
inline int32_t AsInteger(const ValueRecord& v) { return static_cast<int32_t>(PayloadLow(v)); }
inline bool AsBool(const ValueRecord& v) { return PayloadLow(v) != 0; }
inline uint8_t AsByte(const ValueRecord& v) {
    CheckValueType(v, {kTypeByte}, "AsByte");
    return v.payload[0];
}
inline int16_t AsShort(const ValueRecord& v) {
    CheckValueType(v, {kTypeShort}, "AsShort");
    int16_t s; std::memcpy(&s, v.payload, 2); return s;
}
inline double AsDouble(const ValueRecord& v) {
    CheckValueType(v, {kTypeDouble, kTypeDateTime}, "AsDouble");
    double d; std::memcpy(&d, v.payload, 8); return d;
}
inline float AsFloat(const ValueRecord& v) {
    CheckValueType(v, {kTypeFloat}, "AsFloat");
    float f; std::memcpy(&f, v.payload, 4); return f;
}
inline int64_t AsLong(const ValueRecord& v) {
    CheckValueType(v, {kTypeLong}, "AsLong");
    int64_t w; std::memcpy(&w, v.payload, 8); return w;
}
inline const char* AsText(const ValueRecord& v) {
    CheckValueType(v, {kTypeText}, "AsText");
    return static_cast<const char*>(PayloadPointer(v));
}
inline const uint8_t* AsByteSet(const ValueRecord& v) {
    CheckValueType(v, {kTypeByteSet}, "AsByteSet");
    return static_cast<const uint8_t*>(PayloadPointer(v));
}
// The first `width` bytes of the payload as they are stored (width <= 8).
inline std::string_view PayloadBytes(const ValueRecord& v, size_t width) {
    return std::string_view(reinterpret_cast<const char*>(v.payload), width < 8 ? width : 8);
}

// Raw byte width of a basic value as it is copied or compared (texts and byte
// sets are measured by DataSize below); 0 for anything else.
uint32_t BasicValueWidth(uint32_t type);

// Data size of a value: basic widths, text length + 1 (0 for the empty text),
// the stored length of a byte set.
uint32_t DataSize(const ValueRecord& value);

// Any numeric value as a double; any other type reports
// "欲转换数据类型不是数值" and yields 0.
double NumberFromValue(const ValueRecord& value);

// Ids: bits 24-27 kind, bits 28-31 sub-kind, bits 0-23 number.
enum IdKind : uint32_t { kIdKindForm = 0x2, kIdKindSubroutine = 0x4, kIdKindUnit = 0x6 };
enum UnitSubKind : uint32_t { kUnitWindow = 0, kUnitComponent = 1, kUnitMenuItem = 2 };

constexpr uint32_t IdKind(uint32_t id) { return (id >> 24) & 0xF; }
constexpr uint32_t IdSubKind(uint32_t id) { return (id >> 28) & 0xF; }
constexpr uint32_t IdNumber(uint32_t id) { return id & 0x00FFFFFF; }
constexpr bool IsValidId(uint32_t id) { return IdNumber(id) != 0 && IdKind(id) != 0; }
constexpr bool IsFormId(uint32_t id) { return IsValidId(id) && IdKind(id) == kIdKindForm; }

}  // namespace rt
