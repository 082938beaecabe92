// Conversions of any value record into text, numbers and raw bytes, as the
// conversion commands and the message box perform them.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/value_record.h"

namespace services {

// Day 0 is 30 December 1899; the time of day is the fraction.
// "2024年1月15日12时30分" style, dropping trailing zero time parts.
std::string DateTimeText(double days);

// Texts for every basic type and numeric arrays; empty for anything else.
std::string ValueAsText(const rt::ValueRecord& value);
double ValueAsNumber(const rt::ValueRecord& value);
int32_t ValueAsInteger(const rt::ValueRecord& value);
std::string ValueAsBytes(const rt::ValueRecord& value);

// A leading decimal floating-point number (0 when there is none).
double ParseLeadingNumber(const std::string& text);
// A leading decimal integer, saturated to the 32-bit range (0 when there is none).
int32_t ParseLeadingInteger(const std::string& text);

}  // namespace services
