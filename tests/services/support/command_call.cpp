#include "support/command_call.h"

#include <cstring>

namespace services::testing {

CommandResult::~CommandResult() {
    if (record_.type == (rt::kArrayFlag | rt::kTypeText)) rt::FreePointerArray(rt::PayloadPointer(record_));
    else if (record_.type == rt::kTypeText || record_.type == rt::kTypeByteSet) rt::Free(rt::PayloadPointer(record_));
}

std::string CommandResult::text() const {
    const char* text = rt::AsText(record_);
    return text ? std::string(text) : std::string();
}

std::string CommandResult::bytes() const { return std::string(rt::ByteSetView(rt::AsByteSet(record_))); }

std::vector<std::string> CommandResult::texts() const {
    std::vector<std::string> out;
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(rt::PayloadPointer(record_), &first);
    for (uint32_t i = 0; i < count; ++i) {
        const char* element;
        std::memcpy(&element, first + i * sizeof(char*), sizeof element);
        out.emplace_back(element ? element : "");
    }
    return out;
}

CommandResult Call(rt::CommandFunction command, std::initializer_list<rt::ValueRecord> arguments) {
    std::vector<rt::ValueRecord> records(arguments);
    return CommandResult(rt::CallLibraryCommand(command, static_cast<int>(records.size()), records.data()));
}

}  // namespace services::testing
