// Calls a command through the runtime's call entry and owns what it returns,
// so tests read results as ordinary C++ values.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace services::testing {

class CommandResult {
public:
    explicit CommandResult(rt::ValueRecord record) : record_(record) {}
    ~CommandResult();
    CommandResult(const CommandResult&) = delete;
    CommandResult& operator=(const CommandResult&) = delete;

    const rt::ValueRecord& record() const { return record_; }
    uint32_t type() const { return record_.type; }
    int32_t integer() const { return rt::AsInteger(record_); }
    bool boolean() const { return rt::AsBool(record_); }
    double number() const { return rt::AsDouble(record_); }
    bool isNull() const { return rt::PayloadPointer(record_) == nullptr; }
    std::string text() const;   // the text; "" for the null text
    std::string bytes() const;  // the byte set's bytes
    std::vector<std::string> texts() const;  // elements of a text array

private:
    rt::ValueRecord record_;
};

CommandResult Call(rt::CommandFunction command, std::initializer_list<rt::ValueRecord> arguments);

// A byte set owned by the test (freed at the end of the full expression's owner).
class OwnedBytes {
public:
    explicit OwnedBytes(std::string_view bytes) : block_(rt::CopyBytes(bytes.data(), bytes.size())) {}
    ~OwnedBytes() { rt::Free(block_); }
    OwnedBytes(const OwnedBytes&) = delete;
    OwnedBytes& operator=(const OwnedBytes&) = delete;
    rt::ValueRecord record() const { return rt::MakeByteSetValue(block_); }

private:
    uint8_t* block_;
};

}  // namespace services::testing
