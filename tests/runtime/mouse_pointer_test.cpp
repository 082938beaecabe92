// Mouse pointers: the index program code sees against the cursor id the
// template stores.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/mouse_pointer.h"

namespace {

TEST(MousePointer, IndexesAndCursorIdsTranslateBothWays) {
    const uint32_t ids[15] = {0,      0x7F00, 0x7F03, 0x7F01, 0x7F02, 0x7F8B, 0x7F8A, 0x7F88,
                              0x7F86, 0x7F83, 0x7F85, 0x7F82, 0x7F84, 0x7F04, 0x7F89};
    for (uint32_t index = 0; index < 15; ++index) {
        EXPECT_EQ(rt::CursorIdFromPointerIndex(index), ids[index]) << index;
        EXPECT_EQ(rt::PointerIndexFromCursorId(ids[index]), index) << index;
    }
    // Values outside the table pass unchanged.
    EXPECT_EQ(rt::CursorIdFromPointerIndex(15), 15u);
    EXPECT_EQ(rt::CursorIdFromPointerIndex(0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(rt::PointerIndexFromCursorId(0x7F05), 0x7F05u);
}

TEST(MousePointer, OnlyTheFirstWordOfDataTranslates) {
    const uint8_t hand[] = {14, 0, 0, 0, 0xAA};
    std::vector<uint8_t> stored = rt::MousePointerForTemplate(hand, sizeof hand);
    uint32_t first;
    std::memcpy(&first, stored.data(), 4);
    EXPECT_EQ(first, 0x7F89u);
    EXPECT_EQ(stored[4], 0xAA);
    EXPECT_EQ(rt::MousePointerForProgram(stored.data(), static_cast<uint32_t>(stored.size())),
              std::vector<uint8_t>(hand, hand + sizeof hand));
    // Shorter data has no word to translate.
    const uint8_t index[] = {3};
    EXPECT_EQ(rt::MousePointerForTemplate(index, 1), std::vector<uint8_t>(index, index + 1));
}

}  // namespace
