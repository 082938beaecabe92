#include "components/pictures/pcx_reader.h"

#include <cstring>
#include <new>

#include "components/pictures/byte_reader.h"
#include "components/pictures/indexed_layout.h"

namespace pictures {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kPaletteSize = 1 + 768;  // marker 0x0C, then red, green, blue

// Run-length coded bytes; a run may continue into the next scan line.
class PcxRuns {
public:
    PcxRuns(const uint8_t* data, size_t length) : reader_(data, length) {}

    bool ReadLine(uint8_t* line, size_t count) {
        size_t filled = 0;
        while (filled < count) {
            if (pending_ == 0) {
                uint8_t byte;
                if (!reader_.ReadU8(byte)) return false;
                if ((byte & 0xC0) == 0xC0) {
                    pending_ = byte & 0x3F;
                    if (!reader_.ReadU8(value_)) return false;
                } else {
                    pending_ = 1;
                    value_ = byte;
                }
            }
            const size_t take = pending_ < count - filled ? pending_ : count - filled;
            std::memset(line + filled, value_, take);
            filled += take;
            pending_ -= take;
        }
        return true;
    }

private:
    ByteReader reader_;
    size_t pending_ = 0;
    uint8_t value_ = 0;
};

DecodeStatus ReadPcxPixels(const uint8_t* data, size_t length, PictureObject& picture) {
    if (length <= kHeaderSize) return DecodeStatus::kDamaged;
    const uint8_t version = data[1], encoding = data[2], bitsPerPixel = data[3], planes = data[65];
    if (data[0] != 0x0A || encoding != 1 || version > 5) return DecodeStatus::kUnknownFormat;
    const uint16_t left = LoadU16(data + 4), top = LoadU16(data + 6);
    const uint16_t right = LoadU16(data + 8), bottom = LoadU16(data + 10);
    const uint16_t bytesPerLine = LoadU16(data + 66);
    if (right < left || bottom < top) return DecodeStatus::kDamaged;
    const uint32_t width = right - left + 1u, height = bottom - top + 1u;
    if (!DimensionsAllowed(width, height)) return DecodeStatus::kTooLarge;

    const bool monochrome = bitsPerPixel == 1 && planes == 1;
    if (!monochrome && !(bitsPerPixel == 8 && planes == 1)) return DecodeStatus::kDamaged;
    const size_t needed = monochrome ? (width + 7) / 8 : width;
    if (bytesPerLine < needed) return DecodeStatus::kDamaged;

    std::vector<uint8_t> line(bytesPerLine);
    if (monochrome) {
        PcxRuns runs(data + kHeaderSize, length - kHeaderSize);
        const size_t stride = MonochromeRowStride(width);
        picture.pixels.assign(stride * height, 0);
        const uint8_t lastMask = static_cast<uint8_t>(0xFF00 >> (((width - 1) & 7) + 1));
        for (uint32_t y = 0; y < height; ++y) {
            if (!runs.ReadLine(line.data(), line.size())) return DecodeStatus::kDamaged;
            uint8_t* row = picture.pixels.data() + stride * y;
            std::memcpy(row, line.data(), needed);
            row[needed - 1] &= lastMask;
        }
        picture.kind = PictureKind::PcxMonochrome;
    } else {
        if (length < kHeaderSize + kPaletteSize) return DecodeStatus::kDamaged;
        const uint8_t* palette = data + length - kPaletteSize;
        if (palette[0] != 0x0C) return DecodeStatus::kDamaged;
        uint32_t colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = (uint32_t{palette[1 + 3 * i]} << 16) | (uint32_t{palette[2 + 3 * i]} << 8) | palette[3 + 3 * i];
        DecodeStatus status = StartIndexedLayout(picture.pixels, width, height, colours, 256);
        if (status != DecodeStatus::kOk) return status;
        PcxRuns runs(data + kHeaderSize, length - kHeaderSize - kPaletteSize);
        for (uint32_t y = 0; y < height; ++y) {
            if (!runs.ReadLine(line.data(), line.size())) return DecodeStatus::kDamaged;
            std::memcpy(IndexedRow(picture.pixels, width, height, y), line.data(), width);
        }
        picture.kind = PictureKind::Pcx256;
    }
    picture.width = width;
    picture.height = height;
    return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus ReadPcx(const uint8_t* data, size_t length, PictureObject& picture) {
    if (!data) return DecodeStatus::kDamaged;
    PictureObject decoded;
    DecodeStatus status;
    try {
        status = ReadPcxPixels(data, length, decoded);
    } catch (const std::bad_alloc&) {
        status = DecodeStatus::kOutOfMemory;
    }
    if (status == DecodeStatus::kOk) picture = std::move(decoded);
    return status;
}

}  // namespace pictures
