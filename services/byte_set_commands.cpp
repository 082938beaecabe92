// Byte-set commands: slicing, blank byte sets, lengths and copies from memory.
#include <algorithm>
#include <cstring>

#include "runtime/runtime_memory.h"
#include "runtime/values.h"
#include "services/command_arguments.h"
#include "services/core_commands.h"

namespace services {

using namespace arguments;

void ByteSetMiddle(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    std::string_view bytes = ByteSetOf(Given(argumentCount, arguments, 0));
    const int64_t length = static_cast<int64_t>(bytes.size());
    int64_t start = static_cast<int64_t>(IntegerOr(Given(argumentCount, arguments, 1), 0)) - 1;
    start = std::clamp<int64_t>(start, 0, length);
    int64_t count = std::max<int64_t>(IntegerOr(Given(argumentCount, arguments, 2), 0), 0);
    count = std::min(count, length - start);
    SetByteSet(result, bytes.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

void BlankByteSet(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    int32_t length = IntegerOr(Given(argumentCount, arguments, 0), 0);
    if (length <= 0) return SetByteSet(result, {});
    auto block = static_cast<uint8_t*>(rt::AllocateZeroed(static_cast<uint32_t>(length) + rt::kByteSetHeader));
    const uint32_t header[2] = {1, static_cast<uint32_t>(length)};
    std::memcpy(block, header, sizeof header);
    *result = rt::MakeByteSetValue(block);
}

void ByteSetLength(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    SetInteger(result, static_cast<int32_t>(ByteSetOf(Given(argumentCount, arguments, 0)).size()));
}

void PointerToByteSet(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* address = Given(argumentCount, arguments, 0);
    int32_t length = IntegerOr(Given(argumentCount, arguments, 1), 0);
    uintptr_t pointer = 0;
    if (address) pointer = address->type == rt::kTypeLong ? static_cast<uintptr_t>(rt::Payload64(*address))
                                                          : static_cast<uintptr_t>(rt::PayloadLow(*address));
    // A null address has nothing to read; the empty byte set is the neutral result.
    if (pointer == 0 || length <= 0) return SetByteSet(result, {});
    *result = rt::MakeByteSetValue(rt::CopyBytes(reinterpret_cast<const void*>(pointer), static_cast<size_t>(length)));
}

}  // namespace services
