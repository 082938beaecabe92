#include "runtime/value_record.h"

#include "runtime/runtime_error.h"
#include "runtime/values.h"

namespace rt {

uint32_t BasicValueWidth(uint32_t type) {
    switch (type) {
    case kTypeByte: return 1;
    case kTypeShort: return 2;
    case kTypeInteger:
    case kTypeFloat:
    case kTypeBool:
    case kTypeSubroutine: return 4;
    case kTypeLong:
    case kTypeDouble:
    case kTypeDateTime:
    case kTypeSystemValue8: return 8;
    default: return 0;
    }
}

uint32_t DataSize(const ValueRecord& value) {
    switch (value.type) {
    case kTypeText: {
        uint32_t n = TextLength(AsText(value));
        return n ? n + 1 : 0;
    }
    case kTypeByteSet: return ByteSetLength(AsByteSet(value));
    default: return BasicValueWidth(value.type);
    }
}

double NumberFromValue(const ValueRecord& value) {
    switch (value.type) {
    case kTypeByte: return static_cast<double>(AsByte(value));
    case kTypeShort: return AsShort(value);
    case kTypeInteger: return AsInteger(value);
    case kTypeLong: return static_cast<double>(AsLong(value));
    case kTypeFloat: return AsFloat(value);
    case kTypeDouble: return AsDouble(value);
    default:
        ReportRuntimeError("欲转换数据类型不是数值", 0, 0, 0);
    }
}

}  // namespace rt
