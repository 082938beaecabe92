#include "components/pictures/indexed_layout.h"

#include <new>

namespace pictures {
namespace {

void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

DecodeStatus StartIndexedLayout(std::vector<uint8_t>& pixels, uint32_t width, uint32_t height,
                                const uint32_t* colours, size_t colourCount) {
    if (!DimensionsAllowed(width, height)) return DecodeStatus::kTooLarge;
    size_t imageSize = IndexedRowStride(width) * height;
    try {
        pixels.assign(40 + 256 * 4 + imageSize, 0);
    } catch (const std::bad_alloc&) {
        return DecodeStatus::kOutOfMemory;
    }
    uint8_t* header = pixels.data();
    StoreU32(header, 40);
    StoreU32(header + 4, width);
    StoreU32(header + 8, height);  // positive: bottom row first
    StoreU16(header + 12, 1);
    StoreU16(header + 14, 8);
    StoreU32(header + 16, 0);
    StoreU32(header + 20, static_cast<uint32_t>(imageSize));
    StoreU32(header + 32, 256);
    uint8_t* table = header + 40;
    for (size_t i = 0; i < colourCount && i < 256; ++i) StoreU32(table + 4 * i, colours[i] & 0x00FFFFFF);
    return DecodeStatus::kOk;
}

}  // namespace pictures
