// Damaged pictures: each of these must give no picture, never a crash or a
// read past the input (the sanitizer build runs them too).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "components/pictures/byte_reader.h"
#include "components/pictures/picture_decoder.h"
#include "support/picture_fixtures.h"

using namespace pictures;
using namespace components::testing;

namespace {

DecodeStatus Decode(const Bytes& bytes) {
    PictureObject picture;
    // A copy of exactly the given size lets the sanitizer see any read past it.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    const DecodeStatus status = DecodePicture(exact.get(), static_cast<int64_t>(bytes.size()), picture);
    EXPECT_EQ(status == DecodeStatus::kOk, !picture.Empty());
    return status;
}

const char* const kSeedFiles[] = {"still.gif",  "interlaced.gif", "animated.gif", "bmp1.bmp",    "bmp4.bmp",
                                  "bmp8.bmp",   "rle8.bmp",       "bmp16.bmp",    "bmp24.bmp",   "bmp32.bmp",
                                  "pcx256.pcx", "pcxmono.pcx",    "rgba.png",     "palette.png", "rgb16.png",
                                  "gray.png",   "photo.jpg",      "multi.ico",    "dib.ico",     "arrow.cur"};

TEST(DamagedPictures, EveryTruncationOfEverySeedIsNoPicture) {
    for (const char* name : kSeedFiles) {
        const Bytes file = ReadFixture(name);
        ASSERT_EQ(Decode(file), DecodeStatus::kOk) << name;
        // Every cut of the small seeds; the big icon file in steps.
        const size_t step = file.size() > 4096 ? 61 : 1;
        for (size_t length = 0; length < file.size(); length += step) {
            const Bytes cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
            ASSERT_NE(Decode(cut), DecodeStatus::kOk) << name << " cut to " << length << " bytes";
        }
    }
}

Bytes WithU16(Bytes bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
    return bytes;
}
Bytes WithU32(Bytes bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    return bytes;
}

struct DamageCase {
    std::string name;
    Bytes bytes;
    DecodeStatus expected;
};

TEST(DamagedPictures, HugeDimensionsAreRejectedBeforeAllocating) {
    const Bytes gif = ReadFixture("still.gif");
    const Bytes bmp = ReadFixture("bmp24.bmp");
    const Bytes pcx = ReadFixture("pcx256.pcx");
    const Bytes rows(1 + 4, 0);
    const DamageCase cases[] = {
        {"gif screen 65535²", WithU16(WithU16(gif, 6, 65535), 8, 65535), DecodeStatus::kTooLarge},
        {"bmp 100000 wide", WithU32(bmp, 18, 100000), DecodeStatus::kTooLarge},
        {"bmp 30000²", WithU32(WithU32(bmp, 18, 30000), 22, 30000), DecodeStatus::kTooLarge},
        {"bmp height INT_MIN", WithU32(bmp, 22, 0x80000000u), DecodeStatus::kTooLarge},
        {"bmp negative width", WithU32(bmp, 18, 0xFFFFFFF0u), DecodeStatus::kDamaged},
        {"pcx 65536²", WithU16(WithU16(pcx, 8, 65535), 10, 65535), DecodeStatus::kTooLarge},
        {"png 40000²", PngFile(40000, 40000, 8, 0, rows), DecodeStatus::kDamaged},
        {"png 5000²", PngFile(5000, 5000, 8, 0, rows), DecodeStatus::kTooLarge},
    };
    for (const DamageCase& c : cases) EXPECT_EQ(Decode(c.bytes), c.expected) << c.name;
}

TEST(DamagedPictures, GifStructureAndCodeErrors) {
    const std::vector<uint32_t> two{0x000000, 0xFFFFFF};
    const DamageCase cases[] = {
        {"string code before any literal",
         GifBuilder(2, 1, two).RawImage(2, 1, 2, PackGifCodes({4, 6, 5}, 3)).Finish(), DecodeStatus::kDamaged},
        {"code past the table", GifBuilder(2, 1, two).RawImage(2, 1, 2, PackGifCodes({4, 1, 7, 5}, 3)).Finish(),
         DecodeStatus::kDamaged},
        {"too few pixels", GifBuilder(3, 1, two).RawImage(3, 1, 2, PackGifCodes({4, 1, 5}, 3)).Finish(),
         DecodeStatus::kDamaged},
        {"minimum code size 12", GifBuilder(2, 1, two).RawImage(2, 1, 12, PackGifCodes({4, 1, 1, 5}, 3)).Finish(),
         DecodeStatus::kDamaged},
        {"index past a 2-colour table", GifBuilder(2, 1, two).Image(0, 0, 2, 1, {1, 3}).Finish(),
         DecodeStatus::kDamaged},
        {"index past the local table", GifBuilder(2, 1, {}).Image(0, 0, 2, 1, {0, 2}, two).Finish(),
         DecodeStatus::kDamaged},
        {"no colour table at all", GifBuilder(2, 1, {}).Image(0, 0, 2, 1, {0, 0}).Finish(), DecodeStatus::kDamaged},
        {"no image", GifBuilder(2, 1, two).Finish(), DecodeStatus::kDamaged},
        {"zero-sized screen", GifBuilder(0, 1, two).Image(0, 0, 1, 1, {0}).Finish(), DecodeStatus::kDamaged},
    };
    for (const DamageCase& c : cases) EXPECT_EQ(Decode(c.bytes), c.expected) << c.name;

    Bytes unknownBlock = GifBuilder(1, 1, two).Image(0, 0, 1, 1, {0}).Finish();
    unknownBlock.back() = 0x99;
    EXPECT_EQ(Decode(unknownBlock), DecodeStatus::kDamaged);
    // The transparent index may lie past the table: it is never drawn.
    const Bytes transparentPast = GifBuilder(2, 1, two).Control(0, 0, 7).Image(0, 0, 2, 1, {1, 7}).Finish();
    EXPECT_EQ(Decode(transparentPast), DecodeStatus::kOk);
}

TEST(DamagedPictures, BitmapHeaderAndDataErrors) {
    const Bytes bmp24 = ReadFixture("bmp24.bmp");
    const Bytes bmp8 = ReadFixture("bmp8.bmp");
    const Bytes rle8 = ReadFixture("rle8.bmp");
    const Bytes bmp32 = ReadFixture("bmp32.bmp");
    const uint32_t offset8 = LoadU32(bmp8.data() + 10);
    Bytes outOfPalette = WithU32(bmp8, 46, 4);  // only four colours used
    outOfPalette[offset8] = 9;
    Bytes rleOutOfPalette = WithU32(rle8, 46, 1);
    const DamageCase cases[] = {
        {"pixel offset past the end", WithU32(bmp24, 10, 5000), DecodeStatus::kDamaged},
        {"header size 20", WithU32(bmp24, 14, 20), DecodeStatus::kDamaged},
        {"header larger than the file", WithU32(bmp24, 14, 4000), DecodeStatus::kDamaged},
        {"7 bits per pixel", WithU16(bmp24, 28, 7), DecodeStatus::kDamaged},
        {"unknown compression", WithU32(bmp24, 30, 9), DecodeStatus::kDamaged},
        {"rle8 on 24 bits", WithU32(bmp24, 30, 1), DecodeStatus::kDamaged},
        {"zero height", WithU32(bmp24, 22, 0), DecodeStatus::kDamaged},
        {"index past the palette", outOfPalette, DecodeStatus::kDamaged},
        {"rle index past the palette", rleOutOfPalette, DecodeStatus::kDamaged},
        {"rle upside down", WithU32(rle8, 22, static_cast<uint32_t>(-5)), DecodeStatus::kDamaged},
        {"split bit-field mask", WithU32(bmp32, 54, 0x00FF00FF), DecodeStatus::kDamaged},
    };
    for (const DamageCase& c : cases) EXPECT_EQ(Decode(c.bytes), c.expected) << c.name;
}

TEST(DamagedPictures, RleRunsPastTheBitmapAreDamage) {
    Bytes bmp = ReadFixture("rle8.bmp");
    const uint32_t offset = LoadU32(bmp.data() + 10);
    bmp.resize(offset);
    // Delta far below the last row, then a run there.
    bmp.insert(bmp.end(), {0, 2, 0, 9, 3, 1, 0, 1});
    EXPECT_EQ(Decode(bmp), DecodeStatus::kDamaged);
    bmp.resize(offset);
    // No end-of-bitmap marker before the data ends.
    bmp.insert(bmp.end(), {7, 1, 0, 0, 7, 1});
    EXPECT_EQ(Decode(bmp), DecodeStatus::kDamaged);
    bmp.resize(offset);
    // Runs wider than a row are clipped; the bitmap ends properly.
    bmp.insert(bmp.end(), {200, 1, 0, 0, 0, 1});
    EXPECT_EQ(Decode(bmp), DecodeStatus::kOk);
}

TEST(DamagedPictures, PcxHeaderErrors) {
    const Bytes pcx = ReadFixture("pcx256.pcx");
    Bytes noMarker = pcx;
    noMarker[noMarker.size() - 769] = 0;
    const DamageCase cases[] = {
        {"right before left", WithU16(pcx, 4, 9), DecodeStatus::kDamaged},
        {"bottom before top", WithU16(pcx, 6, 9), DecodeStatus::kDamaged},
        {"three planes", [&] { Bytes b = pcx; b[65] = 3; return b; }(), DecodeStatus::kDamaged},
        {"lines shorter than the width", WithU16(pcx, 66, 3), DecodeStatus::kDamaged},
        {"no palette marker", noMarker, DecodeStatus::kDamaged},
        {"128 bytes", Bytes(pcx.begin(), pcx.begin() + 128), DecodeStatus::kDamaged},
    };
    for (const DamageCase& c : cases) EXPECT_EQ(Decode(c.bytes), c.expected) << c.name;
}

TEST(DamagedPictures, CorruptCompressedDataIsNoPicture) {
    Bytes png = ReadFixture("rgba.png");
    const std::string text(png.begin(), png.end());
    png[text.find("IDAT") + 10] ^= 0x55;
    EXPECT_NE(Decode(png), DecodeStatus::kOk);
    Bytes jpeg = ReadFixture("photo.jpg");
    for (size_t i = jpeg.size() / 2; i < jpeg.size() - 2; ++i) jpeg[i] = 0xFF;
    EXPECT_NE(Decode(jpeg), DecodeStatus::kOk);
}

// Inputs the fuzzers once crashed on, kept so the fixes stay fixed.
TEST(DamagedPictures, FuzzerFindingsDecodeSafely) {
    size_t replayed = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FixturePath("../fuzz-regressions"))) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        Decode(bytes);
        ++replayed;
    }
    EXPECT_GT(replayed, 0u);
}

}  // namespace
