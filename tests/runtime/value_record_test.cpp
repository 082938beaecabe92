// Value records: sizes, ids and number conversion.
#include <gtest/gtest.h>

#include "runtime/entry_points.h"
#include "runtime/value_record.h"
#include "runtime/values.h"
#include "support/error_capture.h"

namespace {

TEST(ValueRecords, DataSizesFollowTheType) {
    EXPECT_EQ(rt::DataSize(rt::MakeInteger(5)), 4u);
    EXPECT_EQ(rt::DataSize(rt::MakeDouble(1.5)), 8u);
    EXPECT_EQ(rt::DataSize(rt::MakeText("abc")), 4u);
    EXPECT_EQ(rt::DataSize(rt::MakeText(nullptr)), 0u);
    uint8_t* set = rt::CopyBytes("12345", 5);
    EXPECT_EQ(rt::DataSize(rt::MakeByteSetValue(set)), 5u);
    rt::Free(set);
}

TEST(ValueRecords, ComponentReferenceCarriesFormLowAndUnitHigh) {
    rt::ValueRecord ref = rt::MakeComponentRef(0x52013298, 0x1601329A, rt::ComponentTypeCode(1, 5));
    EXPECT_EQ(rt::PayloadLow(ref), 0x52013298u);
    EXPECT_EQ(rt::PayloadHigh(ref), 0x1601329Au);
    EXPECT_EQ(ref.type, 0x00010005u);
}

TEST(Ids, KindSubKindAndValidity) {
    EXPECT_EQ(rt::IdKind(0x52010001), 0x2u);
    EXPECT_EQ(rt::IdSubKind(0x52010001), 0x5u);
    EXPECT_EQ(rt::IdKind(0x1601329A), 0x6u);
    EXPECT_EQ(rt::IdSubKind(0x1601329A), 0x1u);
    EXPECT_TRUE(rt::IsFormId(0x52010001));
    EXPECT_FALSE(rt::IsValidId(0x52000000));  // number 0
    EXPECT_FALSE(rt::IsValidId(0x00000001));  // kind 0
    EXPECT_FALSE(rt::IsFormId(0x040136D5));
}

TEST(NumberConversion, AcceptsEveryNumericTypeAndRejectsTheRest) {
    rt::testing::ErrorCapture capture;
    rt::ValueRecord byte{};
    byte.payload[0] = 0xFF;
    byte.type = rt::kTypeByte;
    rt::ValueRecord shortValue{};
    int16_t minusTwo = -2;
    std::memcpy(shortValue.payload, &minusTwo, 2);
    shortValue.type = rt::kTypeShort;
    EXPECT_EQ(rt::NumberFromValue(byte), 255.0);
    EXPECT_EQ(rt::NumberFromValue(shortValue), -2.0);
    EXPECT_EQ(rt::NumberFromValue(rt::MakeLong(-5000000000LL)), -5000000000.0);
    EXPECT_EQ(rt::NumberFromValue(rt::MakeDouble(2.25)), 2.25);
    rt::testing::CapturedError error = capture.Run([] { rt::NumberFromValue(rt::MakeText("12")); });
    EXPECT_EQ(error.message, "欲转换数据类型不是数值");
    EXPECT_EQ(error.code, 0);
}

void EmptyTextCommand(rt::ValueRecord* result, int, rt::ValueRecord*) {
    *result = rt::MakeText(rt::CopyText(""));
}
void CountingCommand(rt::ValueRecord* result, int count, rt::ValueRecord* arguments) {
    EXPECT_EQ(rt::Payload64(*result), 0u);  // the entry hands over a zeroed record
    EXPECT_EQ(result->type, 0u);
    int32_t sum = 0;
    for (int i = 0; i < count; ++i) sum += rt::AsInteger(arguments[i]);
    *result = rt::MakeInteger(sum);
}

TEST(CommandCall, EmptyTextResultIsNullWithTextType) {
    rt::ValueRecord result = rt::CallLibraryCommand(EmptyTextCommand, 0, nullptr);
    EXPECT_EQ(result.type, 0x80000004u);
    EXPECT_EQ(rt::AsText(result), nullptr);
}

TEST(CommandCall, ArgumentsArriveInOrderAndResultComesBack) {
    rt::ValueRecord arguments[] = {rt::MakeInteger(1), rt::MakeInteger(20), rt::MakeInteger(300)};
    rt::ValueRecord result = rt::CallLibraryCommand(CountingCommand, 3, arguments);
    EXPECT_EQ(rt::AsInteger(result), 321);
    EXPECT_EQ(result.type, rt::kTypeInteger);
}

}  // namespace
