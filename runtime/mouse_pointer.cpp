#include "runtime/mouse_pointer.h"

#include <cstring>

namespace rt {
namespace {

constexpr uint32_t kCursorIds[15] = {0,      0x7F00, 0x7F03, 0x7F01, 0x7F02, 0x7F8B, 0x7F8A, 0x7F88,
                                     0x7F86, 0x7F83, 0x7F85, 0x7F82, 0x7F84, 0x7F04, 0x7F89};

std::vector<uint8_t> TranslateFirstWord(const uint8_t* data, uint32_t length, uint32_t (*translate)(uint32_t)) {
    std::vector<uint8_t> bytes(data, data + length);
    if (length >= 4) {
        uint32_t word;
        std::memcpy(&word, data, 4);
        word = translate(word);
        std::memcpy(bytes.data(), &word, 4);
    }
    return bytes;
}

}  // namespace

uint32_t CursorIdFromPointerIndex(uint32_t value) { return value < 15 ? kCursorIds[value] : value; }

uint32_t PointerIndexFromCursorId(uint32_t value) {
    // Index 0 and cursor id 0 coincide; the search starts after it.
    for (uint32_t index = 1; index < 15; ++index)
        if (kCursorIds[index] == value) return index;
    return value;
}

std::vector<uint8_t> MousePointerForProgram(const uint8_t* data, uint32_t length) {
    return TranslateFirstWord(data, length, PointerIndexFromCursorId);
}

std::vector<uint8_t> MousePointerForTemplate(const uint8_t* data, uint32_t length) {
    return TranslateFirstWord(data, length, CursorIdFromPointerIndex);
}

}  // namespace rt
