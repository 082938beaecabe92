// A picture decoded ahead on a thread of its own is the picture decoded in place.
#include <gtest/gtest.h>

#include "components/pictures/picture_decode_ahead.h"
#include "support/picture_fixtures.h"

using namespace pictures;
using namespace picture_fixtures;

namespace {

TEST(PictureDecodeAhead, TakeGivesWhatDecodingInPlaceGives) {
    for (const char* name : {"rgba.png", "photo.jpg", "animated.gif", "bmp8.bmp"}) {
        const Bytes file = ReadFixture(name);
        PictureObject inPlace, ahead;
        ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), inPlace), DecodeStatus::kOk) << name;
        PictureDecodeAhead decoder;
        decoder.Start(file);
        EXPECT_TRUE(decoder.Pending());
        ASSERT_EQ(decoder.Take(ahead), DecodeStatus::kOk) << name;
        EXPECT_FALSE(decoder.Pending()) << "handed over once";
        EXPECT_EQ(ahead.kind, inPlace.kind) << name;
        EXPECT_EQ(ahead.width, inPlace.width) << name;
        EXPECT_EQ(ahead.pixels, inPlace.pixels) << name;
        EXPECT_EQ(ahead.Animated(), inPlace.Animated()) << name;
    }
}

TEST(PictureDecodeAhead, DamageIsReportedAndCancelledDecodesAreDropped) {
    PictureDecodeAhead decoder;
    PictureObject picture;
    EXPECT_EQ(decoder.Take(picture), DecodeStatus::kDamaged) << "nothing started";
    Bytes damaged = ReadFixture("rgba.png");
    damaged.resize(damaged.size() / 2);
    decoder.Start(damaged);
    EXPECT_NE(decoder.Take(picture), DecodeStatus::kOk);
    EXPECT_TRUE(picture.Empty());
    decoder.Start(ReadFixture("photo.jpg"));
    decoder.Cancel();
    EXPECT_FALSE(decoder.Pending());
    decoder.Start(ReadFixture("still.gif"));
    decoder.Start(ReadFixture("rgba.png"));  // replaces the first
    ASSERT_EQ(decoder.Take(picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.kind, PictureKind::Png);
}

}  // namespace
