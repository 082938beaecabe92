// Test pictures: the committed seed files, reference pixels, and small
// encoders for building damaged or unusual pictures byte by byte.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "components/pictures/picture_object.h"

namespace components::testing {

using Bytes = std::vector<uint8_t>;

// Path of tests/data/pictures/<name>, as the running program can open it.
std::string FixturePath(const std::string& name);
// Contents of tests/data/pictures/<name>; fails the test when missing.
Bytes ReadFixture(const std::string& name);

// RGB rows (top row first) of a binary PPM or the RGBA rows of a PAM fixture.
struct ReferenceImage {
    uint32_t width = 0, height = 0, channels = 0;
    Bytes pixels;
};
ReferenceImage ReadReference(const std::string& name);

// The picture as RGB rows, top row first, whatever its kind's layout
// (monochrome as black and white).
Bytes ToRgbTopDown(const pictures::PictureObject& picture);

// Little-endian appends.
void Put16(Bytes& out, uint32_t value);
void Put32(Bytes& out, uint32_t value);

// LZW codes of a fixed width, packed least significant bit first and cut into sub-blocks.
Bytes PackGifCodes(const std::vector<int>& codes, int codeBits);

// A GIF built image by image; indexes are encoded as literals (no compression).
class GifBuilder {
public:
    GifBuilder(uint16_t width, uint16_t height, std::vector<uint32_t> globalRgb);
    // Graphic control (delay in hundredths, disposal 0..3, transparent index or -1) for the next image.
    GifBuilder& Control(uint16_t delay, int disposal, int transparentIndex = -1);
    GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, const Bytes& indexes,
                      const std::vector<uint32_t>& localRgb = {}, bool interlaced = false);
    // An image whose compressed data is given as is.
    GifBuilder& RawImage(uint16_t width, uint16_t height, int minimumCodeSize, const Bytes& subBlocks);
    Bytes Finish() const;

private:
    Bytes bytes_;
};

// An icon or cursor image: BITMAPINFOHEADER with doubled height, colour rows, mask rows.
Bytes IconDib(int32_t width, int32_t height, uint16_t bitsPerPixel, uint8_t fill = 0x5A);
struct IconEntry {
    uint8_t widthByte, heightByte, colourCount;
    uint16_t planesOrHotspotX, bitsOrHotspotY;
    Bytes image;
};
Bytes IconFile(uint16_t type, const std::vector<IconEntry>& entries);

// A minimal PNG with one IDAT of the given raw (filtered) rows.
Bytes PngFile(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType, const Bytes& rawRows);

}  // namespace components::testing
