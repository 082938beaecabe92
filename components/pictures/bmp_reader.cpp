#include "components/pictures/bmp_reader.h"

#include <cstring>
#include <new>

#include "components/pictures/byte_reader.h"

namespace pictures {
namespace {

constexpr size_t kFileHeaderSize = 14;
enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

struct BmpLayout {
    uint32_t width = 0, height = 0;
    bool topDown = false;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = kRgb;
    uint32_t masks[3] = {};  // red, green, blue
    uint32_t colours[256] = {};  // 0x00RRGGBB
    size_t colourCount = 0;
    size_t pixelOffset = 0;
};

// One channel taken out of a packed pixel by its mask and widened to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t maximum = 0;  // the mask's value range, 0 for an empty mask
    uint8_t scale[256] = {};
    bool wide = false;     // more than 8 bits: keep the top 8
    int wideShift = 0;

    bool Set(uint32_t channelMask) {
        mask = channelMask;
        if (!mask) return true;
        while (!((mask >> shift) & 1)) ++shift;
        maximum = mask >> shift;
        if (maximum & (maximum + 1)) return false;  // not one run of bits
        int bits = 0;
        while (bits < 32 && ((maximum >> bits) & 1)) ++bits;
        if (bits > 8) {
            wide = true;
            wideShift = bits - 8;
        } else {
            for (uint32_t v = 0; v <= maximum; ++v) scale[v] = static_cast<uint8_t>(v * 255 / maximum);
        }
        return true;
    }
    uint8_t Of(uint32_t pixel) const {
        if (!mask) return 0;
        uint32_t v = (pixel & mask) >> shift;
        return wide ? static_cast<uint8_t>(v >> wideShift) : scale[v];
    }
};

DecodeStatus ReadLayout(const uint8_t* data, size_t length, BmpLayout& layout) {
    if (length < kFileHeaderSize + 4) return DecodeStatus::kDamaged;
    layout.pixelOffset = LoadU32(data + 10);
    const uint32_t infoSize = LoadU32(data + 14);
    const uint8_t* info = data + kFileHeaderSize;
    if (infoSize > length - kFileHeaderSize) return DecodeStatus::kDamaged;
    int64_t width, height;
    size_t entrySize = 4;
    uint32_t coloursUsed = 0;
    if (infoSize == 12) {
        width = LoadU16(info + 4);
        height = LoadU16(info + 6);
        layout.bitsPerPixel = LoadU16(info + 10);
        entrySize = 3;
    } else if (infoSize >= 40) {
        width = LoadI32(info + 4);
        height = LoadI32(info + 8);
        layout.bitsPerPixel = LoadU16(info + 14);
        layout.compression = LoadU32(info + 16);
        coloursUsed = LoadU32(info + 32);
    } else {
        return DecodeStatus::kDamaged;
    }
    if (height < 0) {
        layout.topDown = true;
        height = -height;
    }
    if (width <= 0 || height == 0) return DecodeStatus::kDamaged;
    if (!DimensionsAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height))) return DecodeStatus::kTooLarge;
    layout.width = static_cast<uint32_t>(width);
    layout.height = static_cast<uint32_t>(height);

    const uint16_t bpp = layout.bitsPerPixel;
    size_t tableOffset = kFileHeaderSize + infoSize;
    switch (layout.compression) {
    case kRgb:
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return DecodeStatus::kDamaged;
        if (bpp == 16) {
            layout.masks[0] = 0x7C00, layout.masks[1] = 0x03E0, layout.masks[2] = 0x001F;
        } else if (bpp == 32) {
            layout.masks[0] = 0xFF0000, layout.masks[1] = 0xFF00, layout.masks[2] = 0xFF;
        }
        break;
    case kRle8:
    case kRle4:
        if (bpp != (layout.compression == kRle8 ? 8 : 4) || layout.topDown) return DecodeStatus::kDamaged;
        break;
    case kBitFields:
    case kAlphaBitFields: {
        if (bpp != 16 && bpp != 32) return DecodeStatus::kDamaged;
        // A plain 40-byte header is followed by the masks; longer headers hold them.
        const size_t maskOffset = kFileHeaderSize + 40;
        if (infoSize == 40) tableOffset += layout.compression == kAlphaBitFields ? 16 : 12;
        if (maskOffset + 12 > length) return DecodeStatus::kDamaged;
        for (int i = 0; i < 3; ++i) layout.masks[i] = LoadU32(data + maskOffset + 4 * i);
        break;
    }
    default:
        return DecodeStatus::kDamaged;
    }

    if (bpp <= 8) {
        const size_t maximum = size_t{1} << bpp;
        layout.colourCount = coloursUsed == 0 || coloursUsed > maximum ? maximum : coloursUsed;
        if (tableOffset > length || (length - tableOffset) / entrySize < layout.colourCount)
            return DecodeStatus::kDamaged;
        const uint8_t* table = data + tableOffset;
        for (size_t i = 0; i < layout.colourCount; ++i, table += entrySize)
            layout.colours[i] = (uint32_t{table[2]} << 16) | (uint32_t{table[1]} << 8) | table[0];
    }
    if (layout.pixelOffset >= length) return DecodeStatus::kDamaged;
    return DecodeStatus::kOk;
}

// Indexes of an RLE picture, bottom row first; pixels the data skips keep index 0.
DecodeStatus ExpandRle(const uint8_t* data, size_t length, const BmpLayout& layout, std::vector<uint8_t>& indexes) {
    const bool fourBit = layout.compression == kRle4;
    const uint32_t width = layout.width, height = layout.height;
    indexes.assign(static_cast<size_t>(width) * height, 0);
    ByteReader reader(data + layout.pixelOffset, length - layout.pixelOffset);
    uint32_t x = 0, y = 0;
    auto put = [&](uint8_t index) {
        if (x < width) indexes[static_cast<size_t>(y) * width + x] = index;
        ++x;
    };
    for (;;) {
        uint8_t count, value;
        if (!reader.ReadU8(count) || !reader.ReadU8(value)) return DecodeStatus::kDamaged;
        if (count > 0) {
            if (y >= height) return DecodeStatus::kDamaged;
            for (uint32_t i = 0; i < count && x < width; ++i)
                put(fourBit ? static_cast<uint8_t>((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return DecodeStatus::kOk;
        } else if (value == 2) {
            uint8_t dx, dy;
            if (!reader.ReadU8(dx) || !reader.ReadU8(dy)) return DecodeStatus::kDamaged;
            x += dx;
            y += dy;
        } else {
            const size_t bytes = fourBit ? (value + 1u) / 2 : value;
            const uint8_t* literal;
            if (y >= height || !reader.ReadSpan(literal, bytes) || !reader.Skip(bytes & 1)) return DecodeStatus::kDamaged;
            for (uint32_t i = 0; i < value && x < width; ++i)
                put(fourBit ? static_cast<uint8_t>((i & 1) ? literal[i / 2] & 15 : literal[i / 2] >> 4) : literal[i]);
        }
        if (y > height) return DecodeStatus::kDamaged;
    }
}

bool IndexesToBgr(const uint8_t* indexes, uint32_t count, const BmpLayout& layout, uint8_t* out) {
    for (uint32_t i = 0; i < count; ++i, out += 3) {
        if (indexes[i] >= layout.colourCount) return false;
        const uint32_t colour = layout.colours[indexes[i]];
        out[0] = static_cast<uint8_t>(colour);
        out[1] = static_cast<uint8_t>(colour >> 8);
        out[2] = static_cast<uint8_t>(colour >> 16);
    }
    return true;
}

// One stored row of packed pixels into BGR.
bool ConvertRow(const uint8_t* row, const BmpLayout& layout, const Channel* channels, uint8_t* indexes,
                uint8_t* out) {
    const uint32_t width = layout.width;
    switch (layout.bitsPerPixel) {
    case 24:
        std::memcpy(out, row, static_cast<size_t>(width) * 3);
        return true;
    case 1:
    case 4:
    case 8: {
        const int bpp = layout.bitsPerPixel;
        const int perByte = 8 / bpp;
        const uint8_t mask = static_cast<uint8_t>((1 << bpp) - 1);
        for (uint32_t x = 0; x < width; ++x) {
            const int shift = 8 - bpp * (1 + static_cast<int>(x % perByte));
            indexes[x] = static_cast<uint8_t>((row[x / perByte] >> shift) & mask);
        }
        return IndexesToBgr(indexes, width, layout, out);
    }
    case 16:
        for (uint32_t x = 0; x < width; ++x, out += 3) {
            const uint32_t pixel = LoadU16(row + 2 * x);
            out[0] = channels[2].Of(pixel), out[1] = channels[1].Of(pixel), out[2] = channels[0].Of(pixel);
        }
        return true;
    case 32:
        for (uint32_t x = 0; x < width; ++x, out += 3) {
            const uint32_t pixel = LoadU32(row + 4 * x);
            out[0] = channels[2].Of(pixel), out[1] = channels[1].Of(pixel), out[2] = channels[0].Of(pixel);
        }
        return true;
    }
    return false;
}

DecodeStatus ReadPixels(const uint8_t* data, size_t length, const BmpLayout& layout, std::vector<uint8_t>& pixels) {
    const size_t rowBytes = static_cast<size_t>(layout.width) * 3;
    if (layout.compression == kRle8 || layout.compression == kRle4) {
        std::vector<uint8_t> indexes;
        DecodeStatus status = ExpandRle(data, length, layout, indexes);
        if (status != DecodeStatus::kOk) return status;
        pixels.resize(rowBytes * layout.height);
        return IndexesToBgr(indexes.data(), static_cast<uint32_t>(indexes.size()), layout, pixels.data())
                   ? DecodeStatus::kOk
                   : DecodeStatus::kDamaged;
    }

    const uint64_t stride = ((uint64_t{layout.width} * layout.bitsPerPixel + 31) / 32) * 4;
    if (stride * layout.height > length - layout.pixelOffset) return DecodeStatus::kDamaged;
    Channel channels[3];
    for (int i = 0; i < 3; ++i)
        if (!channels[i].Set(layout.masks[i])) return DecodeStatus::kDamaged;
    std::vector<uint8_t> indexes(layout.bitsPerPixel <= 8 ? layout.width : 0);
    pixels.resize(rowBytes * layout.height);
    const uint8_t* source = data + layout.pixelOffset;
    for (uint32_t row = 0; row < layout.height; ++row, source += stride) {
        const uint32_t outputRow = layout.topDown ? layout.height - 1 - row : row;
        if (!ConvertRow(source, layout, channels, indexes.data(), pixels.data() + rowBytes * outputRow))
            return DecodeStatus::kDamaged;
    }
    return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus ReadBmp(const uint8_t* data, size_t length, PictureObject& picture) {
    if (!data || length < 2 || data[0] != 'B' || data[1] != 'M') return DecodeStatus::kUnknownFormat;
    BmpLayout layout;
    DecodeStatus status = ReadLayout(data, length, layout);
    if (status != DecodeStatus::kOk) return status;
    std::vector<uint8_t> pixels;
    try {
        status = ReadPixels(data, length, layout, pixels);
    } catch (const std::bad_alloc&) {
        status = DecodeStatus::kOutOfMemory;
    }
    if (status != DecodeStatus::kOk) return status;
    picture.Clear();
    picture.kind = PictureKind::Bitmap;
    picture.width = layout.width;
    picture.height = layout.height;
    picture.pixels = std::move(pixels);
    return DecodeStatus::kOk;
}

}  // namespace pictures
