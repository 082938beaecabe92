#include "services/value_conversion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "runtime/values.h"
#include "services/gbk_text.h"

namespace services {
namespace {

constexpr double kFirstDay = -657434;   // 1 January 100
constexpr double kLastDay = 2958465;    // 31 December 9999
constexpr int64_t kDaysFrom1899To1970 = 25569;

struct CivilDate {
    int64_t year;
    unsigned month;
    unsigned day;
};

// Proleptic Gregorian date of a day count from 1 January 1970.
CivilDate CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Formatted(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The raw element bytes of a numeric array; empty for arrays of other types.
std::string NumericArrayBytes(const rt::ValueRecord& value) {
    uint32_t elementType = rt::ElementTypeOf(value.type);
    if (!rt::IsNumericType(elementType)) return {};
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(rt::PayloadPointer(value), &first);
    if (count == 0) return {};
    return std::string(reinterpret_cast<const char*>(first),
                       static_cast<size_t>(count) * rt::BasicValueWidth(elementType));
}

std::string UpToFirstZero(std::string bytes) {
    size_t zero = bytes.find('\0');
    if (zero != std::string::npos) bytes.resize(zero);
    return bytes;
}

// Truncation toward zero as the processor does it: out of range gives the
// integer-indefinite value.
int32_t TruncateToInteger(double number) {
    if (!(number > -2147483649.0 && number < 2147483648.0)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(number);
}

}  // namespace

std::string DateTimeText(double days) {
    if (!(days >= kFirstDay)) days = kFirstDay;
    if (days > kLastDay) days = kLastDay;
    double whole = std::trunc(days);
    auto wholeDays = static_cast<int64_t>(whole);
    auto seconds = static_cast<int64_t>(std::llround(std::fabs(days - whole) * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        wholeDays += 1;
    }
    CivilDate date = CivilFromDays(wholeDays - kDaysFrom1899To1970);
    const int hour = static_cast<int>(seconds / 3600);
    const int minute = static_cast<int>(seconds / 60 % 60);
    const int second = static_cast<int>(seconds % 60);

    char buffer[96];
    int n = std::snprintf(buffer, sizeof buffer, "%d年%d月%d日", static_cast<int>(date.year),
                          static_cast<int>(date.month), static_cast<int>(date.day));
    if (second != 0) std::snprintf(buffer + n, sizeof buffer - n, "%d时%d分%d秒", hour, minute, second);
    else if (minute != 0) std::snprintf(buffer + n, sizeof buffer - n, "%d时%d分", hour, minute);
    else if (hour != 0) std::snprintf(buffer + n, sizeof buffer - n, "%d时", hour);
    return buffer;
}

std::string ValueAsText(const rt::ValueRecord& value) {
    if (rt::IsArrayType(value.type)) return UpToFirstZero(NumericArrayBytes(value));
    switch (value.type) {
    case rt::kTypeByteSet: return UpToFirstZero(std::string(rt::ByteSetView(rt::AsByteSet(value))));
    case rt::kTypeByte: return std::to_string(static_cast<unsigned>(rt::AsByte(value)));
    case rt::kTypeShort: return std::to_string(rt::AsShort(value));
    case rt::kTypeInteger: return std::to_string(rt::AsInteger(value));
    case rt::kTypeLong: return std::to_string(static_cast<long long>(rt::AsLong(value)));
    case rt::kTypeFloat: return Formatted("%.6g", rt::AsFloat(value));
    case rt::kTypeDouble: return Formatted("%.13g", rt::AsDouble(value));
    case rt::kTypeText: return rt::AsText(value) ? std::string(rt::AsText(value)) : std::string();
    case rt::kTypeBool: return rt::AsBool(value) ? "真" : "假";
    case rt::kTypeDateTime: return DateTimeText(rt::AsDouble(value));
    default: return {};
    }
}

double ParseLeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    // Only the validated prefix reaches strtod, so no hexadecimal or "inf" forms.
    return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

int32_t ParseLeadingInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t magnitude = 0;
    while (i < text.size() && IsDigit(text[i])) {
        magnitude = magnitude * 10 + (text[i++] - '0');
        if (magnitude > 2147483648LL) magnitude = 2147483648LL;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

double ValueAsNumber(const rt::ValueRecord& value) {
    switch (value.type) {
    case rt::kTypeBool:
    case rt::kTypeInteger: return rt::AsInteger(value);
    case rt::kTypeShort: return rt::AsShort(value);
    case rt::kTypeByte: return rt::AsByte(value);
    case rt::kTypeLong: return static_cast<double>(rt::AsLong(value));
    case rt::kTypeFloat: return rt::AsFloat(value);
    case rt::kTypeDouble: return rt::AsDouble(value);
    case rt::kTypeSubroutine: return rt::PayloadLow(value);
    case rt::kTypeText: return ParseLeadingNumber(ToHalfWidth(rt::AsText(value) ? rt::AsText(value) : ""));
    default: return 0;
    }
}

int32_t ValueAsInteger(const rt::ValueRecord& value) {
    switch (value.type) {
    case rt::kTypeBool:
    case rt::kTypeInteger:
    case rt::kTypeLong:
    case rt::kTypeSubroutine: return static_cast<int32_t>(rt::PayloadLow(value));
    case rt::kTypeByte: return rt::AsByte(value);
    case rt::kTypeShort: return rt::AsShort(value);
    case rt::kTypeFloat: return TruncateToInteger(rt::AsFloat(value));
    case rt::kTypeDouble: return TruncateToInteger(rt::AsDouble(value));
    case rt::kTypeText: return ParseLeadingInteger(ToHalfWidth(rt::AsText(value) ? rt::AsText(value) : ""));
    default: return 0;
    }
}

std::string ValueAsBytes(const rt::ValueRecord& value) {
    if (rt::IsArrayType(value.type)) return NumericArrayBytes(value);
    switch (value.type) {
    case rt::kTypeText: return rt::AsText(value) ? std::string(rt::AsText(value)) : std::string();
    case rt::kTypeByteSet: return std::string(rt::ByteSetView(rt::AsByteSet(value)));
    default:
        if (!rt::IsBasicType(value.type)) return {};
        return std::string(rt::PayloadBytes(value, rt::BasicValueWidth(value.type)));
    }
}

}  // namespace services
