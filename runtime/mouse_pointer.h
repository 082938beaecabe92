// Mouse pointers: program code sees an index 0..14, the template stores the
// Windows cursor id.
#pragma once

#include <cstdint>
#include <vector>

namespace rt {

constexpr uint32_t kHandCursorId = 0x7F89;
constexpr uint32_t kProgramHandCursorResource = 1032;

// Cursor id of a pointer index 0..14; other values are returned unchanged.
uint32_t CursorIdFromPointerIndex(uint32_t value);
// Pointer index of a cursor id in the table; other values unchanged.
uint32_t PointerIndexFromCursorId(uint32_t value);
// Mouse-pointer data with its first word translated (data of 4 bytes or more).
std::vector<uint8_t> MousePointerForProgram(const uint8_t* data, uint32_t length);
std::vector<uint8_t> MousePointerForTemplate(const uint8_t* data, uint32_t length);

}  // namespace rt
