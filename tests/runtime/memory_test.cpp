// Runtime memory and the program's constant data.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/runtime_memory.h"
#include "runtime/values.h"
#include "support/error_capture.h"

namespace {

// A stand-in for a program's literal data: a byte-set literal and a text
// literal, the text the last bytes of the region.
struct Literals {
    uint8_t byteSet[8 + 4] = {1, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 'd'};
    char text[6] = "hello";
};
Literals g_literals;

class ConstantData : public ::testing::Test {
protected:
    void SetUp() override { rt::SetConstantRegion(&g_literals, sizeof g_literals); }
    void TearDown() override { rt::SetConstantRegion(nullptr, 0); }
};

TEST_F(ConstantData, FreeIgnoresNullAndLiterals) {
    rt::Free(nullptr);
    rt::Free(g_literals.text);
    rt::Free(g_literals.byteSet + 3);
    EXPECT_STREQ(g_literals.text, "hello");  // still intact (and ASan saw no bad free)
}

TEST_F(ConstantData, ResizingALiteralCopiesUpToTheRegionEnd) {
    auto grown = static_cast<char*>(rt::Resize(g_literals.text, 64));
    ASSERT_NE(grown, g_literals.text);
    EXPECT_EQ(std::memcmp(grown, "hello", 6), 0);  // six bytes were all the region held
    auto shrunk = static_cast<char*>(rt::Resize(g_literals.text, 3));
    EXPECT_EQ(std::memcmp(shrunk, "hel", 3), 0);
    rt::Free(grown);
    rt::Free(shrunk);
}

TEST_F(ConstantData, WritingALiteralByteSetCopiesItFirst) {
    void* variable = g_literals.byteSet;
    rt::MakeArrayWritable(1, &variable);
    ASSERT_NE(variable, static_cast<void*>(g_literals.byteSet));
    rt::ByteSetData(static_cast<uint8_t*>(variable))[0] = 'z';
    EXPECT_EQ(g_literals.byteSet[8], 'a');
    EXPECT_EQ(rt::ByteSetView(static_cast<uint8_t*>(variable)), "zbcd");
    rt::Free(variable);
}

TEST_F(ConstantData, HeapBlocksStayPutWhenWritable) {
    void* block = rt::CreateArray1(1, 4);
    void* before = block;
    rt::MakeArrayWritable(1, &block);
    EXPECT_EQ(block, before);
    rt::Free(block);
}

TEST(Memory, ResizeOfNullAllocates) {
    void* block = rt::Resize(nullptr, 16);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, 16);
    rt::Free(block);
}

TEST(Memory, FailedAllocationReportsTheSize) {
    rt::testing::ErrorCapture capture;
    rt::InstallHeap({[](size_t) -> void* { return nullptr; }, [](void*, size_t) -> void* { return nullptr; },
                     [](void*) {}});
    rt::testing::CapturedError error = capture.Run([] { rt::Allocate(1234); });
    rt::InstallHeap({[](size_t n) -> void* { return std::malloc(n ? n : 1); },
                     [](void* b, size_t n) -> void* { return std::realloc(b, n ? n : 1); },
                     [](void* b) { std::free(b); }});
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(error.message, "分配 1234 字节内存失败!");
}

}  // namespace
