// Texts, byte sets and arrays: emptiness, copies, subscripts and literals.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/runtime_memory.h"
#include "runtime/values.h"
#include "support/error_capture.h"

namespace {

using rt::testing::ErrorCapture;
using rt::testing::CapturedError;

TEST(Texts, EmptyInputCopiesToNull) {
    EXPECT_EQ(rt::CopyText(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(rt::CopyText(""), nullptr);
    EXPECT_EQ(rt::CopyBytes("x", 0), nullptr);
    EXPECT_EQ(rt::CopyBytes(nullptr, 4), nullptr);
}

TEST(Texts, CopyIsLengthPlusTerminator) {
    char* copy = rt::CopyText("中文");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::strlen(copy), 4u);  // two double-byte characters
    EXPECT_STREQ(copy, "中文");
    rt::Free(copy);
}

TEST(ByteSets, LayoutIsOneDimensionThenLength) {
    const uint8_t bytes[] = {1, 2, 3};
    uint8_t* set = rt::CopyBytes(bytes, 3);
    uint32_t header[2];
    std::memcpy(header, set, 8);
    EXPECT_EQ(header[0], 1u);
    EXPECT_EQ(header[1], 3u);
    EXPECT_EQ(rt::ByteSetLength(set), 3u);
    EXPECT_EQ(std::memcmp(rt::ByteSetData(set), bytes, 3), 0);
    // A byte set is a one-dimensional byte array.
    EXPECT_EQ(rt::ArrayElementCount(set), 3u);
    rt::Free(set);
}

TEST(Arrays, SubscriptsAreCheckedAgainstTheCount) {
    ErrorCapture capture;
    void* array = rt::CreateArray1(4, 3);
    EXPECT_EQ(capture.Run([&] { rt::ArrayElementAddress(array, 4, 0, 0x04000001, 7); }).code, 4);
    CapturedError beyond = capture.Run([&] { rt::ArrayElementAddress(array, 4, 4, 0x04000001, 7); });
    EXPECT_EQ(beyond.code, 1);
    EXPECT_EQ(beyond.word1, 0x04000001u);
    EXPECT_EQ(beyond.word2, 7u);
    EXPECT_FALSE(capture.Run([&] { rt::ArrayElementAddress(array, 4, 3); }).raised);
    // A null array holds nothing: every subscript fails one way or the other.
    EXPECT_EQ(capture.Run([&] { rt::ArrayElementAddress(nullptr, 4, 1); }).code, 1);
    EXPECT_EQ(capture.Run([&] { rt::ArrayElementAddress(nullptr, 4, -3); }).code, 4);
    rt::Free(array);
}

TEST(Arrays, TwoDimensionsAcceptSingleSubscriptsInStorageOrder) {
    ErrorCapture capture;
    const uint32_t sizes[] = {3, 4};
    void* array = rt::CreateArray(4, sizes, 2);
    EXPECT_EQ(rt::ArrayElementCount(array), 12u);
    uint8_t* first = nullptr;
    rt::ArrayElementCount(array, &first);
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(rt::ArrayElementAddress(array, 4, i), first + (i - 1) * 4);
    }
    EXPECT_EQ(capture.Run([&] { rt::ArrayElementAddress(array, 4, 13); }).code, 1);
    const int32_t three[] = {1, 1, 1};
    EXPECT_EQ(capture.Run([&] { rt::ArrayElementAddressN(array, 4, three, 3); }).code, 3);
    const int32_t pair[] = {3, 4};
    EXPECT_EQ(rt::ArrayElementAddressN(array, 4, pair, 2), first + 11 * 4);
    const int32_t outside[] = {4, 1};
    EXPECT_EQ(capture.Run([&] { rt::ArrayElementAddressN(array, 4, outside, 2); }).code, 1);
    rt::Free(array);
}

TEST(Arrays, RedefinitionNeedsPositiveSizesExceptOneEmptyDimension) {
    ErrorCapture capture;
    void* array = nullptr;
    const int32_t empty[] = {0};
    EXPECT_FALSE(capture.Run([&] { rt::RedefineArray(&array, 4, empty, 1, false); }).raised);
    EXPECT_EQ(rt::ArrayElementCount(array), 0u);
    const int32_t zeroInTwo[] = {2, 0};
    EXPECT_EQ(capture.Run([&] { rt::RedefineArray(&array, 4, zeroInTwo, 2, false); }).code, 10);
    const int32_t negative[] = {-1};
    EXPECT_EQ(capture.Run([&] { rt::RedefineArray(&array, 4, negative, 1, false); }).code, 10);
    rt::Free(array);
}

TEST(Arrays, PreservingRedefinitionKeepsLeadingElements) {
    void* array = rt::CreateArray1(4, 2);
    int32_t values[] = {7, 9};
    std::memcpy(rt::ArrayElementAddress(array, 4, 1), values, 8);
    const int32_t grown[] = {3};
    rt::RedefineArray(&array, 4, grown, 1, true);
    int32_t read[3];
    std::memcpy(read, rt::ArrayElementAddress(array, 4, 1), 12);
    EXPECT_EQ(read[0], 7);
    EXPECT_EQ(read[1], 9);
    EXPECT_EQ(read[2], 0);
    rt::Free(array);
}

TEST(Arrays, AppendGrowsFromNull) {
    void* array = nullptr;
    for (int32_t i = 1; i <= 3; ++i) rt::AppendArrayElement(&array, 4, &i);
    ASSERT_EQ(rt::ArrayElementCount(array), 3u);
    int32_t last;
    std::memcpy(&last, rt::ArrayElementAddress(array, 4, 3), 4);
    EXPECT_EQ(last, 3);
    rt::Free(array);
}

}  // namespace
