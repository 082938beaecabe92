// Detection and the pixel layout of every kind, checked against the pixels
// the fixtures were made from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "components/pictures/byte_reader.h"
#include "components/pictures/picture_decoder.h"
#include "support/picture_fixtures.h"

using namespace pictures;
using namespace components::testing;

namespace {

struct DetectionCase {
    const char* name;
    Bytes head;
    PictureKind kind;
};

TEST(PictureDetection, SignaturesSelectTheKindInTableOrder) {
    const DetectionCase cases[] = {
        {"bmp", {'B', 'M', 0, 0, 0, 0}, PictureKind::Bitmap},
        {"jpeg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0}, PictureKind::Jpeg},
        {"png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, PictureKind::Png},
        {"ico", {0, 0, 1, 0, 3, 0}, PictureKind::Icon},
        {"cur", {0, 0, 2, 0, 1, 0}, PictureKind::Cursor},
        {"ico without images", {0, 0, 1, 0, 0, 1}, PictureKind::None},
        {"gif87a", {'G', 'I', 'F', '8', '7', 'a'}, PictureKind::Gif},
        {"gif89a", {'G', 'I', 'F', '8', '9', 'a'}, PictureKind::Gif},
        {"gif88a", {'G', 'I', 'F', '8', '8', 'a'}, PictureKind::None},
        {"pcx 256", {0x0A, 5, 1, 8, 0, 0}, PictureKind::Pcx256},
        {"pcx version 6", {0x0A, 6, 1, 8, 0, 0}, PictureKind::None},
        {"pcx mono", {0x0A, 3, 1, 1, 0, 0}, PictureKind::PcxMonochrome},
        {"pcx mono version 5", {0x0A, 5, 1, 1, 0, 0}, PictureKind::None},
        {"pcx uncompressed", {0x0A, 5, 0, 8, 0, 0}, PictureKind::None},
        {"text", {'h', 'e', 'l', 'l', 'o', '!'}, PictureKind::None},
    };
    for (const DetectionCase& c : cases)
        EXPECT_EQ(DetectPictureKind(c.head.data(), c.head.size()), c.kind) << c.name;
}

TEST(PictureDetection, FewerThanSixBytesAreNoPicture) {
    const Bytes five{'B', 'M', 0, 0, 0};
    EXPECT_EQ(DetectPictureKind(five.data(), five.size()), PictureKind::None);
    PictureObject picture;
    EXPECT_EQ(DecodePicture(five.data(), 5, picture), DecodeStatus::kUnknownFormat);
    EXPECT_TRUE(picture.Empty());
}

TEST(PictureDetection, EightBytesOfBmIsABitmapThatFailsToRead) {
    const Bytes eight{'B', 'M', 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(DetectPictureKind(eight.data(), eight.size()), PictureKind::Bitmap);
    PictureObject picture;
    EXPECT_EQ(DecodePicture(eight.data(), 8, picture), DecodeStatus::kDamaged);
    EXPECT_TRUE(picture.Empty());
    EXPECT_TRUE(picture.pixels.empty());
}

TEST(PictureDetection, NullOrNonPositiveLengthIsNoPicture) {
    const Bytes bmp = ReadFixture("bmp24.bmp");
    PictureObject picture;
    EXPECT_NE(DecodePicture(nullptr, 100, picture), DecodeStatus::kOk);
    EXPECT_NE(DecodePicture(bmp.data(), 0, picture), DecodeStatus::kOk);
    EXPECT_NE(DecodePicture(bmp.data(), -1, picture), DecodeStatus::kOk);
    EXPECT_TRUE(picture.Empty());
}

TEST(PictureDetection, AFailedDecodeEmptiesAPreviousPicture) {
    PictureObject picture;
    const Bytes gif = ReadFixture("still.gif");
    ASSERT_EQ(DecodePicture(gif.data(), static_cast<int64_t>(gif.size()), picture), DecodeStatus::kOk);
    const Bytes junk{'n', 'o', 't', ' ', 'a', 'n', 'y'};
    EXPECT_EQ(DecodePicture(junk.data(), static_cast<int64_t>(junk.size()), picture), DecodeStatus::kUnknownFormat);
    EXPECT_TRUE(picture.Empty());
    EXPECT_TRUE(picture.pixels.empty());
}

struct LayoutCase {
    const char* file;
    const char* reference;
    PictureKind kind;
    int tolerance;  // per channel; only lossy JPEG needs one
};

TEST(PictureLayouts, EveryFormatDecodesToTheReferencePixels) {
    const LayoutCase cases[] = {
        {"bmp24.bmp", "base.ppm", PictureKind::Bitmap, 0},   {"bmp32.bmp", "base.ppm", PictureKind::Bitmap, 0},
        {"bmp8.bmp", "base.ppm", PictureKind::Bitmap, 0},    {"rle8.bmp", "base.ppm", PictureKind::Bitmap, 0},
        {"bmp4.bmp", "base16.ppm", PictureKind::Bitmap, 0},  {"bmp1.bmp", "base2.ppm", PictureKind::Bitmap, 0},
        {"bmp16.bmp", "base.ppm", PictureKind::Bitmap, 8},   {"still.gif", "base.ppm", PictureKind::Gif, 0},
        {"interlaced.gif", "base.ppm", PictureKind::Gif, 0}, {"pcx256.pcx", "base.ppm", PictureKind::Pcx256, 0},
        {"pcxmono.pcx", "base2.ppm", PictureKind::PcxMonochrome, 0},
        {"rgb16.png", "base.ppm", PictureKind::Png, 0},      {"rgba.png", "base.ppm", PictureKind::Png, 0},
        {"palette.png", "base.ppm", PictureKind::Png, 0},    {"photo.jpg", "base.ppm", PictureKind::Jpeg, 24},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes file = ReadFixture(c.file);
        const ReferenceImage reference = ReadReference(c.reference);
        PictureObject picture;
        ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
        EXPECT_EQ(picture.kind, c.kind);
        EXPECT_EQ(picture.width, reference.width);
        EXPECT_EQ(picture.height, reference.height);
        const Bytes rgb = ToRgbTopDown(picture);
        ASSERT_EQ(rgb.size(), reference.pixels.size());
        int worst = 0;
        for (size_t i = 0; i < rgb.size(); ++i) worst = std::max(worst, std::abs(rgb[i] - reference.pixels[i]));
        EXPECT_LE(worst, c.tolerance);
    }
}

TEST(PictureLayouts, BitmapAndJpegAreUnpaddedBgrRowsBottomUp) {
    const ReferenceImage reference = ReadReference("base.ppm");
    const Bytes file = ReadFixture("bmp24.bmp");
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    ASSERT_EQ(picture.Size(), 7u * 5u * 3u);
    // The first stored pixel is the bottom-left one, blue first.
    const uint8_t* bottomLeft = &reference.pixels[4 * 7 * 3];
    EXPECT_EQ(picture.pixels[0], bottomLeft[2]);
    EXPECT_EQ(picture.pixels[1], bottomLeft[1]);
    EXPECT_EQ(picture.pixels[2], bottomLeft[0]);
    // Row two starts right after seven pixels: no padding.
    EXPECT_EQ(picture.pixels[21], reference.pixels[3 * 7 * 3 + 2]);
}

TEST(PictureLayouts, TopDownBitmapGivesTheSameBottomUpRows) {
    const Bytes bottomUp = ReadFixture("bmp24.bmp");
    Bytes topDown = bottomUp;
    const uint32_t offset = LoadU32(bottomUp.data() + 10), stride = 24;  // 7 × 3 padded to 4
    const int32_t negativeHeight = -5;
    std::memcpy(topDown.data() + 22, &negativeHeight, 4);
    for (uint32_t row = 0; row < 5; ++row)
        std::memcpy(topDown.data() + offset + row * stride, bottomUp.data() + offset + (4 - row) * stride, stride);
    PictureObject a, b;
    ASSERT_EQ(DecodePicture(bottomUp.data(), static_cast<int64_t>(bottomUp.size()), a), DecodeStatus::kOk);
    ASSERT_EQ(DecodePicture(topDown.data(), static_cast<int64_t>(topDown.size()), b), DecodeStatus::kOk);
    EXPECT_EQ(a.pixels, b.pixels);
}

TEST(PictureLayouts, IndexedPicturesKeepTheirHeaderAndPixelsAtOffset1064) {
    for (const char* name : {"still.gif", "pcx256.pcx"}) {
        SCOPED_TRACE(name);
        const Bytes file = ReadFixture(name);
        PictureObject picture;
        ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
        ASSERT_EQ(picture.Size(), 1064u + 8u * 5u);  // rows of 7 padded to 8
        const uint8_t* header = picture.pixels.data();
        EXPECT_EQ(LoadU32(header), 40u);
        EXPECT_EQ(LoadI32(header + 4), 7);
        EXPECT_EQ(LoadI32(header + 8), 5);
        EXPECT_EQ(LoadU16(header + 12), 1);
        EXPECT_EQ(LoadU16(header + 14), 8);
        EXPECT_EQ(LoadU32(header + 16), 0u);
        // Pixel 1,064 is the bottom-left pixel, an index into the 256-entry table.
        const ReferenceImage reference = ReadReference("base.ppm");
        const uint8_t* entry = header + 40 + 4 * picture.pixels[1064];
        const uint8_t* expected = &reference.pixels[4 * 7 * 3];
        EXPECT_EQ(entry[0], expected[2]);
        EXPECT_EQ(entry[1], expected[1]);
        EXPECT_EQ(entry[2], expected[0]);
        EXPECT_EQ(entry[3], 0);
        EXPECT_EQ(picture.pixels[1064 + 7], 0) << "row padding is zero";
    }
}

TEST(PictureLayouts, PngIsBgraTopDownWithItsAlpha) {
    const ReferenceImage reference = ReadReference("base.pam");
    const Bytes file = ReadFixture("rgba.png");
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    ASSERT_EQ(picture.Size(), 7u * 5u * 4u);
    for (size_t i = 0; i < 35; ++i) {
        const uint8_t* rgba = &reference.pixels[4 * i];
        const uint8_t* bgra = &picture.pixels[4 * i];
        ASSERT_EQ(bgra[0], rgba[2]) << i;
        ASSERT_EQ(bgra[1], rgba[1]) << i;
        ASSERT_EQ(bgra[2], rgba[0]) << i;
        ASSERT_EQ(bgra[3], rgba[3]) << i;
    }
}

TEST(PictureLayouts, OpaquePngFormatsGetFullAlpha) {
    for (const char* name : {"rgb16.png", "gray.png"}) {
        const Bytes file = ReadFixture(name);
        PictureObject picture;
        ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk) << name;
        for (size_t i = 3; i < picture.Size(); i += 4) ASSERT_EQ(picture.pixels[i], 255) << name;
    }
}

TEST(PictureLayouts, GreyPngBecomesEqualChannels) {
    const Bytes rows{0, 0, 128, 255};  // one row: filter byte, then three grey levels
    const Bytes file = PngFile(3, 1, 8, 0, rows);
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.pixels, (Bytes{0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}));
}

TEST(PictureLayouts, MonochromePcxRowsArePaddedTo16BitsTopDown) {
    const Bytes file = ReadFixture("pcxmono.pcx");
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    // base2: rows 0 and 1 are 0110110, row 2 black; the bit past the width is cleared.
    ASSERT_EQ(picture.Size(), 2u * 5u);
    EXPECT_EQ(picture.pixels[0], 0x6C);
    EXPECT_EQ(picture.pixels[1], 0x00);
    EXPECT_EQ(picture.pixels[2], 0x6C);
    EXPECT_EQ(picture.pixels[4], 0x00);
}

TEST(PictureFiles, DecodeFileReadsTheFileFirst) {
    PictureObject picture;
    ASSERT_EQ(DecodePictureFile(FixturePath("still.gif").c_str(), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.kind, PictureKind::Gif);
    EXPECT_EQ(DecodePictureFile("", picture), DecodeStatus::kUnreadable);
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(DecodePictureFile(FixturePath("no-such-picture.gif").c_str(), picture), DecodeStatus::kUnreadable);
    EXPECT_EQ(DecodePictureFile(FixturePath("base.ppm").c_str(), picture), DecodeStatus::kUnknownFormat);
}

}  // namespace
