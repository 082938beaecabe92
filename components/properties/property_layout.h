// The stored own-property data of a component type, described once as a
// table of fields in storage order; reading and writing follow the table.
// Data starts with a format-version word; fields newer than the version read
// keep their defaults. Empty data means all defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "runtime/byte_reader.h"
#include "runtime/byte_writer.h"
#include "runtime/log_font.h"
#include "runtime/read_status.h"

namespace components {

using Bytes = std::vector<uint8_t>;

enum class FieldKind {
    kWord,        // u32
    kInteger,     // u32 read as signed
    kBool,        // u32, non-zero is true
    kColour,      // u32 0x00BBGGRR; 0xFF000000 is the system default
    kPick,        // u32 read as signed and clamped into [low, high]
    kChar16,      // 16-bit character code
    kBlock,       // u32 length + bytes (pictures, sounds, icons)
    kFont,        // block holding a LOGFONTA; any other length means no font
    kText,        // u32 length + GBK bytes
    kWordList,    // block of consecutive u32 values
    kTextList16,  // 16-bit count, then that many texts
};

constexpr uint32_t kDefaultColour = 0xFF000000;

struct FieldInfo {
    const char* name;
    FieldKind kind;
    uint32_t sinceVersion;
    int32_t low = 0;
    int32_t high = 0;
};

template <class T>
using FieldMember = std::variant<uint32_t T::*, int32_t T::*, bool T::*, uint16_t T::*, std::string T::*,
                                 Bytes T::*, std::optional<rt::LogFont> T::*, std::vector<uint32_t> T::*,
                                 std::vector<std::string> T::*>;

template <class T>
struct Field {
    FieldInfo info;
    FieldMember<T> member;
};

namespace layout_detail {

bool ReadWordList(rt::ByteReader& reader, std::vector<uint32_t>* out, bool* badLength);
bool ReadTextList16(rt::ByteReader& reader, std::vector<std::string>* out);
void WriteFont(rt::ByteWriter& out, const std::optional<rt::LogFont>& font);
void WriteWordList(rt::ByteWriter& out, const std::vector<uint32_t>& words);
void WriteTextList16(rt::ByteWriter& out, const std::vector<std::string>& texts);
bool ReadFont(rt::ByteReader& reader, std::optional<rt::LogFont>* out);

template <class T>
rt::ReadStatus ReadField(rt::ByteReader& reader, const Field<T>& field, T& data) {
    const FieldInfo& info = field.info;
    return std::visit(
        [&](auto member) -> rt::ReadStatus {
            using Value = std::remove_reference_t<decltype(data.*member)>;
            Value& slot = data.*member;
            if constexpr (std::is_same_v<Value, uint32_t>) {
                if (!reader.ReadU32(&slot)) return rt::ReadStatus::kTruncated;
            } else if constexpr (std::is_same_v<Value, int32_t>) {
                if (!reader.ReadI32(&slot)) return rt::ReadStatus::kTruncated;
                if (info.kind == FieldKind::kPick) slot = slot < info.low ? info.low : slot > info.high ? info.high : slot;
            } else if constexpr (std::is_same_v<Value, bool>) {
                uint32_t word;
                if (!reader.ReadU32(&word)) return rt::ReadStatus::kTruncated;
                slot = word != 0;
            } else if constexpr (std::is_same_v<Value, uint16_t>) {
                if (!reader.ReadU16(&slot)) return rt::ReadStatus::kTruncated;
            } else if constexpr (std::is_same_v<Value, std::string>) {
                if (!reader.ReadCountedText(&slot)) return rt::ReadStatus::kTruncated;
            } else if constexpr (std::is_same_v<Value, Bytes>) {
                if (!reader.ReadCountedBytes(&slot)) return rt::ReadStatus::kTruncated;
            } else if constexpr (std::is_same_v<Value, std::optional<rt::LogFont>>) {
                if (!ReadFont(reader, &slot)) return rt::ReadStatus::kTruncated;
            } else if constexpr (std::is_same_v<Value, std::vector<uint32_t>>) {
                bool badLength = false;
                if (!ReadWordList(reader, &slot, &badLength)) {
                    return badLength ? rt::ReadStatus::kBadLayout : rt::ReadStatus::kTruncated;
                }
            } else {
                if (!ReadTextList16(reader, &slot)) return rt::ReadStatus::kTruncated;
            }
            return rt::ReadStatus::kOk;
        },
        field.member);
}

template <class T>
void WriteField(rt::ByteWriter& out, const Field<T>& field, const T& data) {
    std::visit(
        [&](auto member) {
            using Value = std::remove_cvref_t<decltype(data.*member)>;
            const Value& value = data.*member;
            if constexpr (std::is_same_v<Value, uint32_t>) {
                out.PutU32(value);
            } else if constexpr (std::is_same_v<Value, int32_t>) {
                out.PutU32(static_cast<uint32_t>(value));
            } else if constexpr (std::is_same_v<Value, bool>) {
                out.PutU32(value ? 1 : 0);
            } else if constexpr (std::is_same_v<Value, uint16_t>) {
                out.PutU16(value);
            } else if constexpr (std::is_same_v<Value, std::string> || std::is_same_v<Value, Bytes>) {
                out.PutCounted(value.data(), value.size());
            } else if constexpr (std::is_same_v<Value, std::optional<rt::LogFont>>) {
                WriteFont(out, value);
            } else if constexpr (std::is_same_v<Value, std::vector<uint32_t>>) {
                WriteWordList(out, value);
            } else {
                WriteTextList16(out, value);
            }
        },
        field.member);
}

}  // namespace layout_detail

// Reads `data` into *out by the field table. Empty data gives the defaults
// with the newest version; a version above maxVersion or a field running
// past the end fails and leaves *out unchanged. Bytes after the last field
// of the version are ignored.
template <class T>
rt::ReadStatus ReadFields(std::span<const Field<T>> fields, uint32_t maxVersion, const uint8_t* data, size_t size,
                          T* out) {
    T result{};
    if (size == 0) {
        *out = std::move(result);
        return rt::ReadStatus::kOk;
    }
    rt::ByteReader reader(data, size);
    if (!reader.ReadU32(&result.version)) return rt::ReadStatus::kTruncated;
    if (result.version > maxVersion) return rt::ReadStatus::kUnsupportedVersion;
    for (const Field<T>& field : fields) {
        if (field.info.sinceVersion > result.version) continue;
        rt::ReadStatus status = layout_detail::ReadField(reader, field, result);
        if (status != rt::ReadStatus::kOk) return status;
    }
    *out = std::move(result);
    return rt::ReadStatus::kOk;
}

// The full layout of data.version (never the empty form).
template <class T>
Bytes WriteFields(std::span<const Field<T>> fields, const T& data) {
    rt::ByteWriter out(256);
    out.PutU32(data.version);
    for (const Field<T>& field : fields) {
        if (field.info.sinceVersion <= data.version) layout_detail::WriteField(out, field, data);
    }
    return out.Take();
}

// Read and Write for a data struct T that has `version`, kMaxVersion and a
// static Fields() table.
template <class T>
struct StoredProperties {
    // See ReadFields.
    rt::ReadStatus Read(const uint8_t* data, size_t size) {
        return ReadFields<T>(T::Fields(), T::kMaxVersion, data, size, static_cast<T*>(this));
    }
    rt::ReadStatus Read(std::span<const uint8_t> data) { return Read(data.data(), data.size()); }
    Bytes Write() const { return WriteFields<T>(T::Fields(), static_cast<const T&>(*this)); }
};

}  // namespace components
