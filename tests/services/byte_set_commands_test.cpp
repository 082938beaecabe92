// Byte-set slicing, blank byte sets, lengths and copies from memory.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "services/core_commands.h"
#include "support/command_call.h"

namespace {

using services::testing::Call;
using services::testing::OwnedBytes;

struct MiddleCase {
    int start;
    int count;
    const char* expected;  // of "abcdef"
};

void PrintTo(const MiddleCase& c, std::ostream* out) { *out << "start " << c.start << " count " << c.count; }

class ByteSetMiddleCases : public ::testing::TestWithParam<MiddleCase> {};

TEST_P(ByteSetMiddleCases, SlicesWithClamping) {
    OwnedBytes bytes("abcdef");
    auto slice = Call(services::ByteSetMiddle,
                      {bytes.record(), rt::MakeInteger(GetParam().start), rt::MakeInteger(GetParam().count)});
    EXPECT_EQ(slice.type(), rt::kTypeByteSet);
    EXPECT_EQ(slice.bytes(), GetParam().expected);
    EXPECT_EQ(slice.isNull(), std::strlen(GetParam().expected) == 0);
}

INSTANTIATE_TEST_SUITE_P(Table, ByteSetMiddleCases,
                         ::testing::Values(MiddleCase{1, 3, "abc"}, MiddleCase{0, 3, "abc"}, MiddleCase{-9, 2, "ab"},
                                           MiddleCase{3, 2, "cd"}, MiddleCase{5, 10, "ef"}, MiddleCase{6, 1, "f"},
                                           MiddleCase{7, 1, ""}, MiddleCase{100, 5, ""}, MiddleCase{2, 0, ""},
                                           MiddleCase{2, -4, ""}, MiddleCase{2, 2147483647, "bcdef"},
                                           MiddleCase{-2147483647 - 1, 1, "a"}));

TEST(ByteSetMiddle, EmptyByteSetGivesEmpty) {
    EXPECT_TRUE(Call(services::ByteSetMiddle, {rt::MakeByteSetValue(nullptr), rt::MakeInteger(1), rt::MakeInteger(4)})
                    .isNull());
    EXPECT_TRUE(Call(services::ByteSetMiddle, {}).isNull());
}

TEST(BlankByteSet, ZeroBytesOfTheLength) {
    auto blank = Call(services::BlankByteSet, {rt::MakeInteger(5)});
    EXPECT_EQ(blank.bytes(), std::string(5, '\0'));
    EXPECT_TRUE(Call(services::BlankByteSet, {rt::MakeInteger(0)}).isNull());
    EXPECT_TRUE(Call(services::BlankByteSet, {rt::MakeInteger(-1)}).isNull());
}

TEST(ByteSetLength, CountsBytes) {
    OwnedBytes bytes(std::string_view("a\0b", 3));
    EXPECT_EQ(Call(services::ByteSetLength, {bytes.record()}).integer(), 3);
    EXPECT_EQ(Call(services::ByteSetLength, {rt::MakeByteSetValue(nullptr)}).integer(), 0);
    EXPECT_EQ(Call(services::ByteSetLength, {rt::MakeText("abc")}).integer(), 0);
}

rt::ValueRecord Address(const void* pointer) {
    // The product passes 32-bit addresses as integers; a 64-bit host needs the long form.
    if (sizeof pointer == 4) return rt::MakeInteger(static_cast<int32_t>(reinterpret_cast<uintptr_t>(pointer)));
    return rt::MakeLong(static_cast<int64_t>(reinterpret_cast<uintptr_t>(pointer)));
}

TEST(PointerToByteSet, CopiesTheBytesAtTheAddress) {
    const char source[] = "memory";
    auto copy = Call(services::PointerToByteSet, {Address(source), rt::MakeInteger(3)});
    EXPECT_EQ(copy.bytes(), "mem");
    EXPECT_NE(copy.bytes().data(), source);
    EXPECT_TRUE(Call(services::PointerToByteSet, {Address(source), rt::MakeInteger(0)}).isNull());
    EXPECT_TRUE(Call(services::PointerToByteSet, {Address(source), rt::MakeInteger(-2)}).isNull());
    EXPECT_TRUE(Call(services::PointerToByteSet, {rt::MakeInteger(0), rt::MakeInteger(16)}).isNull());
}

}  // namespace
