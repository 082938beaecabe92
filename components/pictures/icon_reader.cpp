#include "components/pictures/icon_reader.h"

#include <algorithm>
#include <new>

#include "components/pictures/byte_reader.h"

namespace pictures {
namespace {

constexpr size_t kDirectoryHeaderSize = 6;
constexpr size_t kEntrySize = 16;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct ImageFacts {
    uint32_t width = 0, height = 0;
    uint16_t bitsPerPixel = 0;
};

// A PNG entry: its size from the IHDR chunk.
bool ReadPngFacts(const uint8_t* image, size_t size, ImageFacts& facts) {
    if (size < 33 || LoadU32BigEndian(image + 12) != 0x49484452) return false;  // "IHDR"
    facts.width = LoadU32BigEndian(image + 16);
    facts.height = LoadU32BigEndian(image + 20);
    facts.bitsPerPixel = 32;
    return true;
}

// A DIB entry: colour and mask rows must all be inside the entry, because the
// system reads as far as the header says.
bool ReadDibFacts(const uint8_t* image, size_t size, ImageFacts& facts) {
    if (size < 40) return false;
    const uint32_t headerSize = LoadU32(image);
    const int32_t width = LoadI32(image + 4);
    const int32_t doubledHeight = LoadI32(image + 8);
    const uint16_t bpp = LoadU16(image + 14);
    const uint32_t compression = LoadU32(image + 16);
    const uint32_t coloursUsed = LoadU32(image + 32);
    if (headerSize < 40 || headerSize > size) return false;
    if (width <= 0 || doubledHeight < 2) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (compression != 0 && !(compression == 3 && (bpp == 16 || bpp == 32))) return false;
    const uint64_t height = static_cast<uint32_t>(doubledHeight) / 2;
    uint64_t colours = bpp <= 8 ? (coloursUsed && coloursUsed < (1u << bpp) ? coloursUsed : (1u << bpp)) : 0;
    if (compression == 3 && headerSize == 40) colours += 3;  // the masks
    const uint64_t colourStride = ((uint64_t{static_cast<uint32_t>(width)} * bpp + 31) / 32) * 4;
    const uint64_t maskStride = ((uint64_t{static_cast<uint32_t>(width)} + 31) / 32) * 4;
    if (headerSize + colours * 4 + (colourStride + maskStride) * height > size) return false;
    facts.width = static_cast<uint32_t>(width);
    facts.height = static_cast<uint32_t>(height);
    facts.bitsPerPixel = bpp;
    return true;
}

// Bits per pixel an entry really has: the directory's bit count, else its
// image's own (DIB header, or PNG colour type and depth); 0 when unknown.
uint32_t EntryBitsPerPixel(const uint8_t* data, size_t length, const uint8_t* entry, bool isIcon) {
    if (isIcon && LoadU16(entry + 6) != 0) return LoadU16(entry + 6);  // cursors keep the hotspot there
    const uint32_t imageSize = LoadU32(entry + 8);
    const uint32_t imageOffset = LoadU32(entry + 12);
    if (imageOffset > length || imageSize > length - imageOffset || imageSize < 33) return 0;
    const uint8_t* image = data + imageOffset;
    if (std::equal(kPngSignature, kPngSignature + 8, image)) {
        static const uint8_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
        const uint8_t depth = image[24], colourType = image[25];
        if (colourType > 6 || kChannels[colourType] == 0) return 0;
        return colourType == 3 ? depth : uint32_t{depth} * kChannels[colourType];
    }
    return LoadU32(image) >= 40 ? LoadU16(image + 14) : 0;
}

// The colour-count byte is 0 for 256 colours and more, so such entries count
// by their bit depth; real palettes keep the count they declare.
bool HasMoreThanFifteenColours(const uint8_t* data, size_t length, const uint8_t* entry, bool isIcon) {
    if (entry[2] != 0) return entry[2] > 15;
    return EntryBitsPerPixel(data, length, entry, isIcon) >= 4;
}

}  // namespace

DecodeStatus ReadIcon(const uint8_t* data, size_t length, IconSize wanted, PictureObject& picture) {
    if (!data || length < kDirectoryHeaderSize) return DecodeStatus::kDamaged;
    const uint16_t type = LoadU16(data + 2);
    const uint16_t count = LoadU16(data + 4);
    if (LoadU16(data) != 0 || (type != 1 && type != 2)) return DecodeStatus::kUnknownFormat;
    if (count == 0 || (length - kDirectoryHeaderSize) / kEntrySize < count) return DecodeStatus::kDamaged;

    // Entries are looked into to count their colours: a directory naming
    // bytes the file does not have is damaged, whichever entry is chosen.
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kDirectoryHeaderSize + i * kEntrySize;
        if (LoadU32(entry + 12) > length || LoadU32(entry + 8) > length - LoadU32(entry + 12))
            return DecodeStatus::kDamaged;
    }
    const uint8_t* chosen = data + kDirectoryHeaderSize + (count - 1) * kEntrySize;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kDirectoryHeaderSize + i * kEntrySize;
        if (entry[0] == static_cast<uint8_t>(wanted) && HasMoreThanFifteenColours(data, length, entry, type == 1)) {
            chosen = entry;
            break;
        }
    }
    const uint32_t imageSize = LoadU32(chosen + 8);
    const uint32_t imageOffset = LoadU32(chosen + 12);
    if (imageOffset > length || imageSize > length - imageOffset) return DecodeStatus::kDamaged;
    const uint8_t* image = data + imageOffset;

    ImageFacts facts;
    const bool png = imageSize >= 8 && std::equal(kPngSignature, kPngSignature + 8, image);
    if (!(png ? ReadPngFacts(image, imageSize, facts) : ReadDibFacts(image, imageSize, facts)))
        return DecodeStatus::kDamaged;
    if (!DimensionsAllowed(facts.width, facts.height)) return DecodeStatus::kTooLarge;

    IconImage icon;
    icon.isIcon = type == 1;
    icon.bitsPerPixel = facts.bitsPerPixel;
    try {
        if (!icon.isIcon) {
            // Cursor resources start with the hotspot, which a file keeps in the directory.
            icon.hotspotX = LoadU16(chosen + 4);
            icon.hotspotY = LoadU16(chosen + 6);
            icon.resource.insert(icon.resource.end(), chosen + 4, chosen + 8);
        }
        icon.resource.insert(icon.resource.end(), image, image + imageSize);
    } catch (const std::bad_alloc&) {
        return DecodeStatus::kOutOfMemory;
    }
    picture.Clear();
    picture.kind = icon.isIcon ? PictureKind::Icon : PictureKind::Cursor;
    picture.width = facts.width;
    picture.height = facts.height;
    picture.iconImage = std::move(icon);
    return DecodeStatus::kOk;
}

}  // namespace pictures
