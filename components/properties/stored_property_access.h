// Own properties that live in a component's stored data: a property is found
// by its English name in the data's field table and exchanged with the
// runtime as a raw property value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

#include "components/properties/property_layout.h"
#include "runtime/property_value.h"

namespace components {

rt::PropertyValue FontValue(const std::optional<rt::LogFont>& font);
// Anything but a 60-byte record is no font (the default font is used).
std::optional<rt::LogFont> FontFromValue(const rt::PropertyValue& value);

template <class T>
const Field<T>* FindStoredField(std::string_view name) {
    for (const Field<T>& field : T::Fields())
        if (name == field.info.name) return &field;
    return nullptr;
}

template <class T>
rt::PropertyValue StoredValue(const Field<T>& field, const T& data) {
    return std::visit(
        [&](auto member) {
            using Value = std::remove_cvref_t<decltype(data.*member)>;
            const Value& slot = data.*member;
            rt::PropertyValue value;
            if constexpr (std::is_integral_v<Value>) {
                value.integer = static_cast<int32_t>(slot);
            } else if constexpr (std::is_same_v<Value, std::string>) {
                value.bytes = slot;
            } else if constexpr (std::is_same_v<Value, Bytes>) {
                value.bytes.assign(slot.begin(), slot.end());
            } else if constexpr (std::is_same_v<Value, std::optional<rt::LogFont>>) {
                value = FontValue(slot);
            } else if constexpr (std::is_same_v<Value, std::vector<uint32_t>>) {
                value.integers.assign(slot.begin(), slot.end());
            } else {
                value.items = slot;
            }
            return value;
        },
        field.member);
}

// Picks are clamped into the field's range, as when they are read.
template <class T>
void StoreValue(const Field<T>& field, T& data, const rt::PropertyValue& value) {
    std::visit(
        [&](auto member) {
            using Value = std::remove_cvref_t<decltype(data.*member)>;
            Value& slot = data.*member;
            if constexpr (std::is_same_v<Value, bool>) {
                slot = value.integer != 0;
            } else if constexpr (std::is_same_v<Value, int32_t>) {
                int32_t number = value.integer;
                if (field.info.kind == FieldKind::kPick)
                    number = number < field.info.low ? field.info.low : number > field.info.high ? field.info.high : number;
                slot = number;
            } else if constexpr (std::is_integral_v<Value>) {
                slot = static_cast<Value>(value.integer);
            } else if constexpr (std::is_same_v<Value, std::string>) {
                slot = value.bytes;
            } else if constexpr (std::is_same_v<Value, Bytes>) {
                slot.assign(value.bytes.begin(), value.bytes.end());
            } else if constexpr (std::is_same_v<Value, std::optional<rt::LogFont>>) {
                slot = FontFromValue(value);
            } else if constexpr (std::is_same_v<Value, std::vector<uint32_t>>) {
                slot.assign(value.integers.begin(), value.integers.end());
            } else {
                slot = value.items;
            }
        },
        field.member);
}

// Reads or writes the stored field named like the property; false when the
// data has no such field.
template <class T>
bool GetStoredProperty(const T& data, std::string_view name, rt::PropertyValue* value) {
    const Field<T>* field = FindStoredField<T>(name);
    if (!field) return false;
    *value = StoredValue(*field, data);
    return true;
}
template <class T>
bool SetStoredProperty(T& data, std::string_view name, const rt::PropertyValue& value) {
    const Field<T>* field = FindStoredField<T>(name);
    if (!field) return false;
    StoreValue(*field, data, value);
    return true;
}
// Writes the field; false when it already held this value, so that a setter
// can leave its caches and its window alone.
template <class T>
bool ChangeStoredProperty(T& data, std::string_view name, const rt::PropertyValue& value) {
    rt::PropertyValue before;
    if (GetStoredProperty(data, name, &before) && before == value) return false;
    return SetStoredProperty(data, name, value);
}

}  // namespace components
