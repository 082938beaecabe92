// A small JSON value for the driver's answers: one line per answer, object
// members in the order they were set, strings carried as UTF-8 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace uidriver {

class JsonValue {
public:
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

    JsonValue() = default;
    JsonValue(bool value) : kind_(Kind::kBool), number_(value ? 1 : 0) {}
    JsonValue(int value) : kind_(Kind::kNumber), number_(value) {}
    JsonValue(unsigned value) : kind_(Kind::kNumber), number_(value) {}
    JsonValue(long value) : kind_(Kind::kNumber), number_(value) {}
    JsonValue(unsigned long value) : kind_(Kind::kNumber), number_(static_cast<int64_t>(value)) {}
    JsonValue(long long value) : kind_(Kind::kNumber), number_(value) {}
    JsonValue(const char* text) : kind_(Kind::kString), text_(text) {}
    JsonValue(std::string text) : kind_(Kind::kString), text_(std::move(text)) {}

    static JsonValue Array() { JsonValue v; v.kind_ = Kind::kArray; return v; }
    static JsonValue Object() { JsonValue v; v.kind_ = Kind::kObject; return v; }

    Kind kind() const { return kind_; }
    // Objects: sets or replaces a member. Arrays: appends.
    JsonValue& Set(const std::string& key, JsonValue value);
    JsonValue& Push(JsonValue value);
    // The member's value, or null when absent or not an object.
    const JsonValue* Find(const std::string& key) const;
    bool AsBool() const { return number_ != 0; }
    int64_t AsNumber() const { return number_; }
    const std::string& AsString() const { return text_; }
    size_t Size() const { return kind_ == Kind::kObject ? members_.size() : items_.size(); }
    const JsonValue& At(size_t index) const { return items_[index]; }

    // Compact, on one line: control characters are escaped, so a text holding
    // a line break never splits an answer.
    std::string Serialize() const;

private:
    void SerializeTo(std::string* out) const;

    Kind kind_ = Kind::kNull;
    int64_t number_ = 0;
    std::string text_;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

// Hex text of a handle-sized number, "0x0001002A".
std::string HexWord(uint32_t value);

}  // namespace uidriver
