// Conversions between values: text, numbers, byte sets, and bit operations.
#include "runtime/values.h"
#include "services/command_arguments.h"
#include "services/core_commands.h"
#include "services/value_conversion.h"

namespace services {

using namespace arguments;

void ToText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* value = Given(argumentCount, arguments, 0);
    SetText(result, value ? ValueAsText(*value) : std::string());
}

void ToNumber(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* value = Given(argumentCount, arguments, 0);
    SetDouble(result, value ? ValueAsNumber(*value) : 0.0);
}

void ToInteger(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* value = Given(argumentCount, arguments, 0);
    SetInteger(result, value ? ValueAsInteger(*value) : 0);
}

void ToByteSet(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* value = Given(argumentCount, arguments, 0);
    SetByteSet(result, value ? ValueAsBytes(*value) : std::string());
}

void BitOr(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    uint32_t bits = 0;
    for (int i = 0; i < argumentCount; ++i) bits |= rt::PayloadLow(arguments[i]);
    SetInteger(result, static_cast<int32_t>(bits));
}

}  // namespace services
