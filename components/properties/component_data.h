// Stored property data of any known component type behind one interface, for
// code that handles every type alike (the form compiler and dumper).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

// kWord, kInteger, kColour, kPick, kChar16 → int64_t; kBool → bool;
// kText → string; kBlock → Bytes; kFont → optional<rt::LogFont>;
// kWordList → vector<uint32_t>; kTextList16 → vector<string>.
using FieldValue = std::variant<int64_t, bool, std::string, Bytes, std::optional<rt::LogFont>, std::vector<uint32_t>,
                                std::vector<std::string>>;

class ComponentData {
public:
    virtual ~ComponentData() = default;

    virtual uint32_t MaxVersion() const = 0;
    virtual uint32_t Version() const = 0;
    virtual void SetVersion(uint32_t version) = 0;
    virtual size_t FieldCount() const = 0;
    virtual const FieldInfo& Info(size_t field) const = 0;
    virtual FieldValue Get(size_t field) const = 0;
    // The value must hold the alternative of the field's kind; numbers are
    // stored modulo the field's width.
    virtual void Set(size_t field, const FieldValue& value) = 0;
    // The field holds the value that empty data would give it.
    virtual bool IsDefault(size_t field) const = 0;
    virtual rt::ReadStatus Read(const uint8_t* data, size_t size) = 0;
    virtual Bytes Write() const = 0;

    // Index of the field with this name, -1 when the type has none.
    int FindField(std::string_view name) const;
};

// The data of the component type with this type reference (library number
// << 16 | type index); none for a type without known property data.
std::unique_ptr<ComponentData> MakeComponentData(uint32_t typeReference);

}  // namespace components
