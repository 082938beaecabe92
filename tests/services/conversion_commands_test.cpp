// Conversions of values to text, numbers and byte sets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "runtime/type_references.h"
#include "runtime/values.h"
#include "services/core_commands.h"
#include "support/command_call.h"

namespace {

using services::testing::Call;
using services::testing::OwnedBytes;

rt::ValueRecord Text(const char* text) { return rt::MakeText(text); }

rt::ValueRecord Raw(uint32_t type, uint64_t payload) {
    rt::ValueRecord record{};
    rt::SetPayload64(record, payload);
    record.type = type;
    return record;
}

rt::ValueRecord Float(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return Raw(rt::kTypeFloat, bits);
}

rt::ValueRecord DateTime(double days) {
    rt::ValueRecord record = rt::MakeDouble(days);
    record.type = rt::kTypeDateTime;
    return record;
}

// A one-dimensional array owned by the test.
class OwnedArray {
public:
    OwnedArray(uint32_t elementType, const void* elements, uint32_t count)
        : type_(rt::kArrayFlag | elementType), block_(rt::CreateArray1(rt::ArrayElementSize(elementType), count)) {
        uint8_t* first = nullptr;
        rt::ArrayElementCount(block_, &first);
        if (count) std::memcpy(first, elements, count * rt::ArrayElementSize(elementType));
    }
    ~OwnedArray() { rt::Free(block_); }
    rt::ValueRecord record() const { return rt::MakePointer(block_, type_); }

private:
    uint32_t type_;
    void* block_;
};

TEST(ToInteger, TextIsConvertedToHalfWidthFirst) {
    EXPECT_EQ(Call(services::ToInteger, {Text("１２３")}).integer(), 123);
    EXPECT_EQ(Call(services::ToInteger, {Text("－４５")}).integer(), -45);
    EXPECT_EQ(Call(services::ToInteger, {Text("　７")}).integer(), 7);  // ideographic space
    EXPECT_EQ(Call(services::ToInteger, {Text("12abc")}).integer(), 12);
    EXPECT_EQ(Call(services::ToInteger, {Text("abc")}).integer(), 0);
    EXPECT_EQ(Call(services::ToInteger, {Text("")}).integer(), 0);
    EXPECT_EQ(Call(services::ToInteger, {Text(" +42 ")}).integer(), 42);
}

TEST(ToInteger, OutOfRangeTextSaturates) {
    EXPECT_EQ(Call(services::ToInteger, {Text("99999999999")}).integer(), 2147483647);
    EXPECT_EQ(Call(services::ToInteger, {Text("-99999999999")}).integer(), -2147483647 - 1);
    EXPECT_EQ(Call(services::ToInteger, {Text("-2147483648")}).integer(), -2147483647 - 1);
}

TEST(ToInteger, NumbersByType) {
    EXPECT_EQ(Call(services::ToInteger, {Raw(rt::kTypeByte, 0xFFFFFFF0)}).integer(), 0xF0);
    EXPECT_EQ(Call(services::ToInteger, {Raw(rt::kTypeShort, 0xFFFE)}).integer(), -2);
    EXPECT_EQ(Call(services::ToInteger, {rt::MakeLong(0x100000005LL)}).integer(), 5);
    EXPECT_EQ(Call(services::ToInteger, {rt::MakeDouble(-7.9)}).integer(), -7);
    EXPECT_EQ(Call(services::ToInteger, {Float(7.9f)}).integer(), 7);
    EXPECT_EQ(Call(services::ToInteger, {rt::MakeBool(true)}).integer(), 1);
    EXPECT_EQ(Call(services::ToInteger, {DateTime(45306.5)}).integer(), 0);
    EXPECT_EQ(Call(services::ToInteger, {}).integer(), 0);
}

TEST(ToNumber, ParsesALeadingDecimalNumber) {
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Text("  -1.5e3xyz")}).number(), -1500.0);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Text("３．２５")}).number(), 3.25);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Text(".5")}).number(), 0.5);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Text("2e")}).number(), 2.0);
    // Only decimal forms: no hexadecimal, infinity or NaN spellings.
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Text("0x10")}).number(), 0.0);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Text("inf")}).number(), 0.0);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Text("-")}).number(), 0.0);
    EXPECT_EQ(Call(services::ToNumber, {Text("1")}).type(), rt::kTypeDouble);
}

TEST(ToNumber, NumbersByType) {
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Raw(rt::kTypeByte, 200)}).number(), 200.0);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Raw(rt::kTypeShort, 0x8000)}).number(), -32768.0);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Raw(rt::kTypeSubroutine, 0xFFFFFFFF)}).number(), 4294967295.0);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {rt::MakeLong(-3)}).number(), -3.0);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {Float(0.5f)}).number(), 0.5);
    EXPECT_DOUBLE_EQ(Call(services::ToNumber, {DateTime(2.0)}).number(), 0.0);
}

TEST(ToText, BasicValues) {
    EXPECT_EQ(Call(services::ToText, {rt::MakeInteger(-5)}).text(), "-5");
    EXPECT_EQ(Call(services::ToText, {rt::MakeBool(true)}).text(), "真");
    EXPECT_EQ(Call(services::ToText, {rt::MakeBool(false)}).text(), "假");
    EXPECT_EQ(Call(services::ToText, {Raw(rt::kTypeByte, 255)}).text(), "255");
    EXPECT_EQ(Call(services::ToText, {Raw(rt::kTypeShort, 0xFFFD)}).text(), "-3");
    EXPECT_EQ(Call(services::ToText, {rt::MakeLong(-9000000000LL)}).text(), "-9000000000");
    EXPECT_EQ(Call(services::ToText, {rt::MakeDouble(0.1)}).text(), "0.1");
    EXPECT_EQ(Call(services::ToText, {rt::MakeDouble(1.0 / 3)}).text(), "0.3333333333333");
    EXPECT_EQ(Call(services::ToText, {Float(1.0f / 3)}).text(), "0.333333");
    EXPECT_EQ(Call(services::ToText, {Text("文本")}).text(), "文本");
    EXPECT_TRUE(Call(services::ToText, {Raw(rt::kTypeSubroutine, 0x401000)}).isNull());
    EXPECT_TRUE(Call(services::ToText, {}).isNull());
    EXPECT_EQ(Call(services::ToText, {}).type(), rt::kTypeText);
}

TEST(ToText, DateTimeDropsTrailingZeroTimeParts) {
    // Day 45306 is 15 January 2024.
    EXPECT_EQ(Call(services::ToText, {DateTime(45306.0)}).text(), "2024年1月15日");
    EXPECT_EQ(Call(services::ToText, {DateTime(45306.5)}).text(), "2024年1月15日12时");
    EXPECT_EQ(Call(services::ToText, {DateTime(45306.0 + (12 * 60 + 30) / 1440.0)}).text(), "2024年1月15日12时30分");
    EXPECT_EQ(Call(services::ToText, {DateTime(45306.0 + 45296 / 86400.0)}).text(), "2024年1月15日12时34分56秒");
    EXPECT_EQ(Call(services::ToText, {DateTime(0.0)}).text(), "1899年12月30日");
    EXPECT_EQ(Call(services::ToText, {DateTime(60.0)}).text(), "1900年2月28日");
    EXPECT_EQ(Call(services::ToText, {DateTime(-1.25)}).text(), "1899年12月29日6时");
    // Out of range values are clamped to the first and last representable days.
    EXPECT_EQ(Call(services::ToText, {DateTime(-1e9)}).text(), "100年1月1日");
    EXPECT_EQ(Call(services::ToText, {DateTime(1e12)}).text(), "9999年12月31日");
    EXPECT_EQ(Call(services::ToText, {DateTime(std::nan(""))}).text(), "100年1月1日");
    // Rounding to the second may carry into the next day.
    EXPECT_EQ(Call(services::ToText, {DateTime(45306.9999999)}).text(), "2024年1月16日");
}

TEST(ToText, ByteSetsAndNumericArraysStopAtTheFirstZero) {
    OwnedBytes bytes(std::string_view("ab\0cd", 5));
    EXPECT_EQ(Call(services::ToText, {bytes.record()}).text(), "ab");
    EXPECT_TRUE(Call(services::ToText, {rt::MakeByteSetValue(nullptr)}).isNull());
    const int32_t letters[] = {0x64636261, 0x68676665};
    OwnedArray array(rt::kTypeInteger, letters, 2);
    EXPECT_EQ(Call(services::ToText, {array.record()}).text(), "abcdefgh");
    const int32_t flags[] = {1, 0};
    OwnedArray bools(rt::kTypeBool, flags, 2);
    EXPECT_TRUE(Call(services::ToText, {bools.record()}).isNull());
}

TEST(ToByteSet, RawBytesOfEachKind) {
    EXPECT_EQ(Call(services::ToByteSet, {rt::MakeInteger(0x04030201)}).bytes(), std::string("\x01\x02\x03\x04", 4));
    EXPECT_EQ(Call(services::ToByteSet, {Raw(rt::kTypeShort, 0x0201)}).bytes(), std::string("\x01\x02", 2));
    EXPECT_EQ(Call(services::ToByteSet, {rt::MakeDouble(1.0)}).bytes().size(), 8u);
    EXPECT_EQ(Call(services::ToByteSet, {Text("abc")}).bytes(), "abc");
    OwnedBytes bytes(std::string_view("x\0y", 3));
    EXPECT_EQ(Call(services::ToByteSet, {bytes.record()}).bytes(), std::string("x\0y", 3));
    const int16_t shorts[] = {1, -1};
    OwnedArray array(rt::kTypeShort, shorts, 2);
    EXPECT_EQ(Call(services::ToByteSet, {array.record()}).bytes(), std::string("\x01\x00\xff\xff", 4));
    const uint32_t reference[] = {0x52010001, 0x16010002};
    OwnedArray references(rt::kWindowTypeReference, reference, 1);
    EXPECT_TRUE(Call(services::ToByteSet, {references.record()}).isNull());
    EXPECT_TRUE(Call(services::ToByteSet, {rt::MakeComponentRef(0x52010001, 0, rt::kWindowTypeReference)}).isNull());
    EXPECT_TRUE(Call(services::ToByteSet, {Text("")}).isNull());
}

TEST(BitOr, CombinesEveryArgument) {
    EXPECT_EQ(Call(services::BitOr, {rt::MakeInteger(1), rt::MakeInteger(4), rt::MakeInteger(0x40)}).integer(), 0x45);
    EXPECT_EQ(Call(services::BitOr, {rt::MakeInteger(-8)}).integer(), -8);
    EXPECT_EQ(Call(services::BitOr, {}).integer(), 0);
}

}  // namespace
