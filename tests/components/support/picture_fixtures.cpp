#include "support/picture_fixtures.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/wine_path.h"
#include "components/pictures/gif_reader.h"
#include "components/pictures/indexed_layout.h"
#include "components/pictures/pcx_reader.h"

namespace components::testing {

std::string FixturePath(const std::string& name) {
    std::string path = std::string(LUMADREL_TEST_DATA_DIR) + "/pictures/" + name;
#ifdef _WIN32
    path = common::WindowsPath(path);
#endif
    return path;
}

Bytes ReadFixture(const std::string& name) {
    Bytes bytes;
    std::FILE* file = std::fopen(FixturePath(name).c_str(), "rb");
    EXPECT_NE(file, nullptr) << "missing fixture " << name;
    if (!file) return bytes;
    uint8_t chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    std::fclose(file);
    return bytes;
}

ReferenceImage ReadReference(const std::string& name) {
    const Bytes file = ReadFixture(name);
    ReferenceImage image;
    std::string text(file.begin(), file.end());
    size_t dataStart;
    if (text.rfind("P6", 0) == 0) {
        unsigned w = 0, h = 0, maxValue = 0;
        int consumed = 0;
        std::sscanf(text.c_str(), "P6 %u %u %u%n", &w, &h, &maxValue, &consumed);
        image.width = w, image.height = h, image.channels = 3;
        dataStart = static_cast<size_t>(consumed) + 1;
    } else {
        unsigned w = 0, h = 0;
        std::sscanf(text.c_str() + text.find("WIDTH"), "WIDTH %u", &w);
        std::sscanf(text.c_str() + text.find("HEIGHT"), "HEIGHT %u", &h);
        image.width = w, image.height = h, image.channels = 4;
        dataStart = text.find("ENDHDR\n") + 7;
    }
    image.pixels.assign(file.begin() + static_cast<ptrdiff_t>(dataStart), file.end());
    EXPECT_EQ(image.pixels.size(), size_t{image.width} * image.height * image.channels) << name;
    return image;
}

Bytes ToRgbTopDown(const pictures::PictureObject& picture) {
    using pictures::PictureKind;
    const uint32_t w = picture.width, h = picture.height;
    Bytes rgb;
    rgb.reserve(size_t{w} * h * 3);
    Bytes composed;
    const uint8_t* p = pictures::StillPixels(picture, composed).data();
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t r = 0, g = 0, b = 0;
            switch (picture.kind) {
            case PictureKind::Jpeg:
            case PictureKind::Bitmap: {
                const uint8_t* px = p + (size_t{h - 1 - y} * w + x) * 3;
                b = px[0], g = px[1], r = px[2];
                break;
            }
            case PictureKind::Gif:
            case PictureKind::Pcx256: {
                const uint8_t index = p[pictures::kIndexedPixelsOffset +
                                        pictures::IndexedRowStride(w) * (h - 1 - y) + x];
                const uint8_t* entry = p + 40 + 4 * index;
                b = entry[0], g = entry[1], r = entry[2];
                break;
            }
            case PictureKind::PcxMonochrome: {
                const uint8_t byte = p[pictures::MonochromeRowStride(w) * y + x / 8];
                r = g = b = (byte & (0x80 >> (x % 8))) ? 255 : 0;
                break;
            }
            case PictureKind::Png: {
                const uint8_t* px = p + (size_t{y} * w + x) * 4;
                b = px[0], g = px[1], r = px[2];
                break;
            }
            default:
                ADD_FAILURE() << "no pixels in kind " << static_cast<int>(picture.kind);
                return rgb;
            }
            rgb.push_back(r), rgb.push_back(g), rgb.push_back(b);
        }
    }
    return rgb;
}

void Put16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(Bytes& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

Bytes PackGifCodes(const std::vector<int>& codes, int codeBits) {
    Bytes packed;
    uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= static_cast<uint32_t>(code) << count;
        count += codeBits;
        while (count >= 8) {
            packed.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) packed.push_back(static_cast<uint8_t>(bits));
    Bytes blocks;
    for (size_t i = 0; i < packed.size(); i += 255) {
        const size_t n = std::min<size_t>(255, packed.size() - i);
        blocks.push_back(static_cast<uint8_t>(n));
        blocks.insert(blocks.end(), packed.begin() + static_cast<ptrdiff_t>(i),
                      packed.begin() + static_cast<ptrdiff_t>(i + n));
    }
    blocks.push_back(0);
    return blocks;
}

namespace {

// Table-size bits (n where the table holds 2^(n+1) entries) and the padded RGB table.
int PutColourTable(Bytes& out, const std::vector<uint32_t>& rgb) {
    int bits = 0;
    while ((size_t{2} << bits) < rgb.size()) ++bits;
    for (size_t i = 0; i < (size_t{2} << bits); ++i) {
        const uint32_t c = i < rgb.size() ? rgb[i] : 0;
        out.push_back(static_cast<uint8_t>(c >> 16)), out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c));
    }
    return bits;
}

// Literal codes only, with a clear code before the table would widen the codes.
Bytes EncodeLiterals(const Bytes& indexes) {
    const int clear = 256;
    std::vector<int> codes{clear};
    int sinceClear = 0;
    for (uint8_t index : indexes) {
        if (sinceClear == 254) codes.push_back(clear), sinceClear = 0;
        codes.push_back(index);
        ++sinceClear;
    }
    codes.push_back(clear + 1);
    Bytes out{8};
    Bytes blocks = PackGifCodes(codes, 9);
    out.insert(out.end(), blocks.begin(), blocks.end());
    return out;
}

}  // namespace

GifBuilder::GifBuilder(uint16_t width, uint16_t height, std::vector<uint32_t> globalRgb) {
    const char* signature = "GIF89a";
    bytes_.assign(signature, signature + 6);
    Put16(bytes_, width);
    Put16(bytes_, height);
    Bytes table;
    const int bits = globalRgb.empty() ? 0 : PutColourTable(table, globalRgb);
    bytes_.push_back(static_cast<uint8_t>(globalRgb.empty() ? 0 : 0x80 | bits));
    bytes_.push_back(0);
    bytes_.push_back(0);
    bytes_.insert(bytes_.end(), table.begin(), table.end());
}

GifBuilder& GifBuilder::Control(uint16_t delay, int disposal, int transparentIndex) {
    bytes_.insert(bytes_.end(), {0x21, 0xF9, 4});
    bytes_.push_back(static_cast<uint8_t>((disposal << 2) | (transparentIndex >= 0 ? 1 : 0)));
    Put16(bytes_, delay);
    bytes_.push_back(static_cast<uint8_t>(transparentIndex >= 0 ? transparentIndex : 0));
    bytes_.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, const Bytes& indexes,
                              const std::vector<uint32_t>& localRgb, bool interlaced) {
    bytes_.push_back(0x2C);
    Put16(bytes_, left), Put16(bytes_, top), Put16(bytes_, width), Put16(bytes_, height);
    Bytes table;
    const int bits = localRgb.empty() ? 0 : PutColourTable(table, localRgb);
    bytes_.push_back(static_cast<uint8_t>((localRgb.empty() ? 0 : 0x80 | bits) | (interlaced ? 0x40 : 0)));
    bytes_.insert(bytes_.end(), table.begin(), table.end());
    Bytes data = EncodeLiterals(indexes);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

GifBuilder& GifBuilder::RawImage(uint16_t width, uint16_t height, int minimumCodeSize, const Bytes& subBlocks) {
    bytes_.push_back(0x2C);
    Put16(bytes_, 0), Put16(bytes_, 0), Put16(bytes_, width), Put16(bytes_, height);
    bytes_.push_back(0);
    bytes_.push_back(static_cast<uint8_t>(minimumCodeSize));
    bytes_.insert(bytes_.end(), subBlocks.begin(), subBlocks.end());
    return *this;
}

Bytes GifBuilder::Finish() const {
    Bytes out = bytes_;
    out.push_back(0x3B);
    return out;
}

Bytes IconDib(int32_t width, int32_t height, uint16_t bitsPerPixel, uint8_t fill) {
    Bytes out;
    Put32(out, 40), Put32(out, static_cast<uint32_t>(width)), Put32(out, static_cast<uint32_t>(height * 2));
    Put16(out, 1), Put16(out, bitsPerPixel);
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    const size_t colours = bitsPerPixel <= 8 ? (size_t{1} << bitsPerPixel) : 0;
    out.insert(out.end(), colours * 4, 0x40);
    const size_t colourStride = ((size_t(width) * bitsPerPixel + 31) / 32) * 4;
    const size_t maskStride = ((size_t(width) + 31) / 32) * 4;
    out.insert(out.end(), colourStride * height, fill);
    out.insert(out.end(), maskStride * height, 0);
    return out;
}

Bytes IconFile(uint16_t type, const std::vector<IconEntry>& entries) {
    Bytes out;
    Put16(out, 0), Put16(out, type), Put16(out, static_cast<uint32_t>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (const IconEntry& e : entries) {
        out.insert(out.end(), {e.widthByte, e.heightByte, e.colourCount, 0});
        Put16(out, e.planesOrHotspotX), Put16(out, e.bitsOrHotspotY);
        Put32(out, static_cast<uint32_t>(e.image.size())), Put32(out, offset);
        offset += static_cast<uint32_t>(e.image.size());
    }
    for (const IconEntry& e : entries) out.insert(out.end(), e.image.begin(), e.image.end());
    return out;
}

namespace {

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
    const uint32_t length = static_cast<uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(length >> shift));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size())));
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(crc >> shift));
}

}  // namespace

Bytes PngFile(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType, const Bytes& rawRows) {
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<uint8_t>(v >> shift));
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    PutChunk(out, "IHDR", header);
    uLongf size = compressBound(static_cast<uLong>(rawRows.size()));
    Bytes compressed(size);
    compress(compressed.data(), &size, rawRows.data(), static_cast<uLong>(rawRows.size()));
    compressed.resize(size);
    PutChunk(out, "IDAT", compressed);
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace components::testing
