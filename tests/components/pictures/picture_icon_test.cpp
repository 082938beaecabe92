// Choosing an entry from an ICO or CUR directory.
#include <gtest/gtest.h>

#include "components/pictures/byte_reader.h"
#include "components/pictures/picture_decoder.h"
#include "support/picture_fixtures.h"

using namespace pictures;
using namespace components::testing;

namespace {

IconEntry Entry(uint8_t width, uint8_t colours, uint16_t bpp, uint8_t fill) {
    return {width, width, colours, 1, bpp, IconDib(width ? width : 256, width ? width : 256, bpp, fill)};
}

// The fill byte of the chosen image's colour rows tells which entry it was.
uint8_t ChosenFill(const PictureObject& picture) {
    const Bytes& image = picture.iconImage.resource;
    const size_t skip = picture.kind == PictureKind::Cursor ? 4 : 0;
    const uint16_t bpp = LoadU16(image.data() + skip + 14);
    return image[skip + 40 + (bpp <= 8 ? (size_t{4} << bpp) : 0)];
}

TEST(IconSelection, OnlyFortyEightPixelImagesYieldTheLastEntry) {
    const Bytes file = IconFile(1, {Entry(48, 16, 4, 0x11), Entry(48, 0, 32, 0x22), Entry(48, 0, 8, 0x33)});
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.kind, PictureKind::Icon);
    EXPECT_EQ(picture.width, 48u);
    EXPECT_EQ(picture.height, 48u);
    EXPECT_EQ(picture.iconImage.bitsPerPixel, 8);
    EXPECT_EQ(ChosenFill(picture), 0x33);
    EXPECT_TRUE(picture.pixels.empty());
}

TEST(IconSelection, FirstEntryWithTheWantedWidthAndMoreThanFifteenColours) {
    const Bytes file = IconFile(1, {Entry(16, 16, 4, 0x11), Entry(32, 15, 4, 0x22), Entry(32, 255, 8, 0x33),
                                    Entry(32, 16, 4, 0x44), Entry(16, 0, 32, 0x55)});
    PictureObject large, small;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), large, IconSize::Large), DecodeStatus::kOk);
    EXPECT_EQ(ChosenFill(large), 0x33) << "a 15-colour entry is passed over";
    EXPECT_EQ(large.width, 32u);
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), small, IconSize::Small), DecodeStatus::kOk);
    EXPECT_EQ(ChosenFill(small), 0x11);
    EXPECT_EQ(small.width, 16u);
}

TEST(IconSelection, SizeComesFromTheImageHeaderNotTheDirectory) {
    IconEntry entry = Entry(32, 16, 4, 0x11);
    entry.image = IconDib(24, 20, 4, 0x11);
    const Bytes file = IconFile(1, {entry});
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.width, 24u);
    EXPECT_EQ(picture.height, 20u) << "half the stored height, which includes the mask";
}

TEST(IconSelection, CursorResourceStartsWithTheHotspot) {
    IconEntry entry = Entry(32, 16, 4, 0x44);
    entry.planesOrHotspotX = 5;
    entry.bitsOrHotspotY = 9;
    const Bytes file = IconFile(2, {entry});
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.kind, PictureKind::Cursor);
    EXPECT_FALSE(picture.iconImage.isIcon);
    EXPECT_EQ(picture.iconImage.hotspotX, 5);
    EXPECT_EQ(picture.iconImage.hotspotY, 9);
    const Bytes& resource = picture.iconImage.resource;
    ASSERT_EQ(resource.size(), entry.image.size() + 4);
    EXPECT_EQ(LoadU16(resource.data()), 5);
    EXPECT_EQ(LoadU16(resource.data() + 2), 9);
    EXPECT_TRUE(std::equal(entry.image.begin(), entry.image.end(), resource.begin() + 4));
}

TEST(IconSelection, PngEntriesTakeTheirSizeFromIhdr) {
    PictureObject picture;
    Bytes png = PngFile(20, 10, 8, 6, Bytes(10 * (1 + 20 * 4), 0));
    const Bytes file = IconFile(1, {{20, 10, 0, 1, 32, png}});
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.width, 20u);
    EXPECT_EQ(picture.height, 10u);
    EXPECT_EQ(picture.iconImage.resource, png);
}

// Entries whose colour-count byte is 0 (256 colours and more) count by their
// bit depth: from the directory, else from the DIB header or the PNG header.
TEST(IconSelection, DeepEntriesCountByTheirBitDepth) {
    const Bytes grey2 = PngFile(32, 32, 2, 0, Bytes(32 * (1 + 8), 0));     // 4 shades
    const Bytes palette8 = PngFile(32, 32, 8, 3, Bytes(32 * (1 + 32), 0));  // 256 colours
    const struct {
        const char* what;
        std::vector<IconEntry> entries;
        size_t chosen;
    } cases[] = {
        {"32-bit entries by size", {Entry(16, 0, 32, 1), Entry(32, 0, 32, 2), Entry(48, 0, 32, 3)}, 1},
        {"bit count only in the DIB header",
         {{32, 32, 0, 1, 0, IconDib(32, 32, 32, 1)}, {16, 16, 0, 1, 0, IconDib(16, 16, 32, 2)}}, 0},
        {"a two-colour entry is passed over", {Entry(32, 2, 1, 1), Entry(32, 0, 8, 2), Entry(48, 0, 32, 3)}, 1},
        {"16 colours written as 0", {Entry(32, 0, 4, 1), Entry(32, 0, 32, 2)}, 0},
        {"PNG entries by their header",
         {{32, 32, 0, 1, 0, grey2}, {32, 32, 0, 1, 0, palette8}, {16, 16, 0, 1, 0, IconDib(16, 16, 32, 3)}}, 1},
    };
    for (const auto& c : cases) {
        const Bytes file = IconFile(1, c.entries);
        PictureObject picture;
        ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture, IconSize::Large),
                  DecodeStatus::kOk)
            << c.what;
        EXPECT_EQ(picture.iconImage.resource, c.entries[c.chosen].image) << c.what;
    }
}

// Icons made by ImageMagick: one colour per entry (see make-fixtures.sh).
TEST(IconSelection, IconEditorFilesShowTheEntryOfEachSize) {
    const struct {
        const char* file;
        IconSize size;
        uint32_t width;
        uint16_t bits;
    } cases[] = {
        {"sizes.ico", IconSize::Large, 32, 32},  // 16, 32, 48 pixels, all 32-bit
        {"sizes.ico", IconSize::Small, 16, 32},
        {"multi.ico", IconSize::Large, 32, 32},  // 48, 32, 16 pixels
        {"multi.ico", IconSize::Small, 16, 32},
        {"palette.ico", IconSize::Large, 32, 4},  // a real 16-colour entry comes first and is kept
        {"palette.ico", IconSize::Small, 16, 4},
    };
    for (const auto& c : cases) {
        const Bytes file = ReadFixture(c.file);
        PictureObject picture;
        ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture, c.size), DecodeStatus::kOk)
            << c.file;
        EXPECT_EQ(picture.width, c.width) << c.file;
        EXPECT_EQ(picture.iconImage.bitsPerPixel, c.bits) << c.file;
    }
}

TEST(IconSelection, SeedFilesPickTheirEntriesByTheRule) {
    const Bytes icon = ReadFixture("dib.ico");
    PictureObject large, small, cursor;
    ASSERT_EQ(DecodePicture(icon.data(), static_cast<int64_t>(icon.size()), large, IconSize::Large), DecodeStatus::kOk);
    EXPECT_EQ(large.width, 32u) << "256 colours are stored as 0 and count by the 8-bit depth";
    EXPECT_EQ(large.iconImage.bitsPerPixel, 8);
    ASSERT_EQ(DecodePicture(icon.data(), static_cast<int64_t>(icon.size()), small, IconSize::Small), DecodeStatus::kOk);
    EXPECT_EQ(small.width, 16u);
    EXPECT_EQ(small.iconImage.bitsPerPixel, 4);
    const Bytes file = ReadFixture("arrow.cur");
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), cursor), DecodeStatus::kOk);
    EXPECT_EQ(cursor.kind, PictureKind::Cursor);
    EXPECT_EQ(cursor.iconImage.hotspotX, 3);
    EXPECT_EQ(cursor.iconImage.hotspotY, 7);
    EXPECT_EQ(cursor.iconImage.resource.size(), file.size() - 22 + 4);
}

TEST(IconSelection, EntriesThatDoNotFitAreDamage) {
    PictureObject picture;
    IconEntry entry = Entry(32, 16, 4, 0x11);
    Bytes file = IconFile(1, {entry});
    Put32(file, 0);  // unused tail
    Bytes shortImage = file;
    shortImage[6 + 8] = static_cast<uint8_t>(entry.image.size() - 1);  // low byte of the image size
    shortImage[6 + 9] = static_cast<uint8_t>((entry.image.size() - 1) >> 8);
    EXPECT_EQ(DecodePicture(shortImage.data(), static_cast<int64_t>(shortImage.size()), picture),
              DecodeStatus::kDamaged)
        << "the mask rows would be read past the entry";
    Bytes pastEnd = file;
    pastEnd[6 + 12] = 0xF0;
    EXPECT_EQ(DecodePicture(pastEnd.data(), static_cast<int64_t>(pastEnd.size()), picture), DecodeStatus::kDamaged);
    Bytes missingEntries = IconFile(1, {entry, entry});
    missingEntries.resize(6 + 16 + 8);
    EXPECT_EQ(DecodePicture(missingEntries.data(), static_cast<int64_t>(missingEntries.size()), picture),
              DecodeStatus::kDamaged);
    IconEntry odd = entry;
    odd.image = IconDib(32, 32, 7, 0);
    const Bytes badDepth = IconFile(1, {odd});
    EXPECT_EQ(DecodePicture(badDepth.data(), static_cast<int64_t>(badDepth.size()), picture), DecodeStatus::kDamaged);
}

}  // namespace
