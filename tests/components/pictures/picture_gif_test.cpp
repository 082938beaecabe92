// GIF: LZW edge cases, animation frames and how a canvas composes them.
#include <gtest/gtest.h>

#include "components/pictures/gif_canvas.h"
#include "components/pictures/gif_lzw_decoder.h"
#include "components/pictures/picture_decoder.h"
#include "support/picture_fixtures.h"

using namespace pictures;
using namespace components::testing;

namespace {

Bytes Unblock(const Bytes& subBlocks) {
    Bytes joined;
    for (size_t i = 0; i < subBlocks.size() && subBlocks[i] != 0; i += subBlocks[i] + 1)
        joined.insert(joined.end(), subBlocks.begin() + static_cast<ptrdiff_t>(i) + 1,
                      subBlocks.begin() + static_cast<ptrdiff_t>(i) + 1 + subBlocks[i]);
    return joined;
}

DecodeStatus Lzw(const std::vector<int>& codes, int codeBits, int minimumCodeSize, Bytes& out) {
    const Bytes data = Unblock(PackGifCodes(codes, codeBits));
    return DecodeGifLzw(data.data(), data.size(), minimumCodeSize, out.data(), out.size());
}

TEST(GifLzw, StringCodesAndTheCodeBeingDefined) {
    // Minimum size 2: clear 4, end 5. Code 6 is used while it is being defined ("1" + "1").
    Bytes out(4);
    ASSERT_EQ(Lzw({4, 1, 6, 0}, 3, 2, out), DecodeStatus::kOk);
    EXPECT_EQ(out, (Bytes{1, 1, 1, 0}));
}

TEST(GifLzw, CodesWidenWhenTheTableFillsTheirRange) {
    // Size 2: once codes 6 and 7 are defined the stream switches to 4-bit codes.
    std::vector<int> codes{4, 1, 2, 3};
    uint32_t bits = 0;
    int count = 0;
    Bytes packed;
    auto put = [&](int code, int width) {
        bits |= static_cast<uint32_t>(code) << count;
        count += width;
        while (count >= 8) packed.push_back(static_cast<uint8_t>(bits)), bits >>= 8, count -= 8;
    };
    for (int c : codes) put(c, 3);
    put(8, 4);  // defined by its own use: "3 3"; read as 3 bits it would be 0
    if (count) packed.push_back(static_cast<uint8_t>(bits));
    Bytes out(4);
    ASSERT_EQ(DecodeGifLzw(packed.data(), packed.size(), 2, out.data(), out.size()), DecodeStatus::kOk);
    EXPECT_EQ(out, (Bytes{1, 2, 3, 3}));
}

TEST(GifLzw, BadStreamsAreDamage) {
    Bytes out(4);
    EXPECT_EQ(Lzw({4, 7, 5}, 3, 2, out), DecodeStatus::kDamaged) << "string code first";
    EXPECT_EQ(Lzw({4, 1, 7, 5}, 3, 2, out), DecodeStatus::kDamaged) << "code beyond the table";
    EXPECT_EQ(Lzw({4, 1, 2, 5}, 3, 2, out), DecodeStatus::kDamaged) << "ends before all pixels";
    Bytes eight(8);
    EXPECT_EQ(Lzw({4, 1, 2}, 3, 2, eight), DecodeStatus::kDamaged) << "data runs out";
    EXPECT_EQ(Lzw({4, 1, 2, 3, 0}, 3, 9, out), DecodeStatus::kDamaged) << "code size too large";
    Bytes exact(2);
    EXPECT_EQ(Lzw({4, 1, 2, 3, 3, 3}, 3, 2, exact), DecodeStatus::kOk) << "extra pixels are ignored";
    EXPECT_EQ(exact, (Bytes{1, 2}));
}

TEST(GifLzw, FullTableKeepsDecodingWithoutNewCodes) {
    // 8-bit literals only: 4,000 codes fill the 4,096-entry table and continue at 12 bits.
    std::vector<int> codes{256};
    Bytes expected;
    int bitsNow = 9, next = 258;
    uint32_t acc = 0;
    int count = 0;
    Bytes packed;
    auto put = [&](int code) {
        acc |= static_cast<uint32_t>(code) << count;
        count += bitsNow;
        while (count >= 8) packed.push_back(static_cast<uint8_t>(acc)), acc >>= 8, count -= 8;
    };
    put(256);
    for (int i = 0; i < 5000; ++i) {
        const int literal = (i * 37) & 0xFF;
        put(literal);
        expected.push_back(static_cast<uint8_t>(literal));
        if (i > 0 && next < 4096) {
            ++next;
            if (next == (1 << bitsNow) && bitsNow < 12) ++bitsNow;
        }
    }
    put(257);
    if (count) packed.push_back(static_cast<uint8_t>(acc));
    Bytes out(expected.size());
    ASSERT_EQ(DecodeGifLzw(packed.data(), packed.size(), 8, out.data(), out.size()), DecodeStatus::kOk);
    EXPECT_EQ(out, expected);
}

TEST(GifAnimationFrames, FramesKeepDelaysDisposalAndRectangles) {
    const Bytes file = ReadFixture("animated.gif");
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.kind, PictureKind::Gif);
    ASSERT_TRUE(picture.Animated());
    const GifAnimation& gif = *picture.animation;
    ASSERT_EQ(gif.frames.size(), 4u);
    EXPECT_EQ(gif.frames[0].delay, 20u);
    EXPECT_EQ(gif.frames[1].delay, 50u);
    EXPECT_EQ(gif.frames[2].delay, 0u);
    EXPECT_EQ(gif.frames[3].delay, 7u);
    EXPECT_EQ(gif.frames[1].disposal, GifDisposal::Background);
    EXPECT_EQ(gif.frames[2].disposal, GifDisposal::Previous);
    EXPECT_EQ(gif.frames[1].left, 2u);
    EXPECT_EQ(gif.frames[1].top, 1u);
    EXPECT_EQ(gif.frames[1].width, 3u);
    EXPECT_EQ(gif.frames[1].height, 2u);
    EXPECT_EQ(gif.DelayMilliseconds(1), 500u);
    EXPECT_EQ(gif.DelayMilliseconds(2), gif.defaultDelay * 10) << "a stored 0 uses the default";
    // The still picture is the first frame.
    const ReferenceImage reference = ReadReference("base.ppm");
    EXPECT_EQ(ToRgbTopDown(picture), reference.pixels);
}

TEST(GifAnimationFrames, SingleImageGifHasNoAnimation) {
    const Bytes file = ReadFixture("still.gif");
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_FALSE(picture.Animated());
}

// Canvas pixel (x, y) as 0xAARRGGBB.
uint32_t At(const GifCanvas& canvas, uint32_t x, uint32_t y) {
    const uint8_t* p = canvas.Pixels().data() + (size_t{y} * canvas.Width() + x) * 4;
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

TEST(GifCanvasComposition, DisposalClearsOrRestoresTheFrameRectangle) {
    const uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    const Bytes file = GifBuilder(4, 1, {red, green, blue, 0})
                           .Control(10, 1).Image(0, 0, 4, 1, {0, 0, 0, 0})     // all red, kept
                           .Control(10, 2).Image(1, 0, 1, 1, {1})              // green at 1, then cleared
                           .Control(10, 3, 3).Image(2, 0, 2, 1, {2, 3})        // blue at 2, 3 transparent, then undone
                           .Control(0, 0).Image(3, 0, 1, 1, {1})               // green at 3
                           .Finish();
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    ASSERT_TRUE(picture.Animated());
    GifCanvas canvas(*picture.animation);
    size_t index = 99;
    const uint32_t opaque = 0xFF000000;
    ASSERT_EQ(canvas.DrawNextFrame(index), DecodeStatus::kOk);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(At(canvas, 0, 0), opaque | red);
    ASSERT_EQ(canvas.DrawNextFrame(index), DecodeStatus::kOk);
    EXPECT_EQ(At(canvas, 1, 0), opaque | green);
    ASSERT_EQ(canvas.DrawNextFrame(index), DecodeStatus::kOk);
    EXPECT_EQ(At(canvas, 1, 0), 0u) << "disposed to background: transparent";
    EXPECT_EQ(At(canvas, 2, 0), opaque | blue);
    EXPECT_EQ(At(canvas, 3, 0), opaque | red) << "transparent index leaves what was there";
    ASSERT_EQ(canvas.DrawNextFrame(index), DecodeStatus::kOk);
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(At(canvas, 2, 0), opaque | red) << "restored to before the previous frame";
    EXPECT_EQ(At(canvas, 3, 0), opaque | green);
    ASSERT_EQ(canvas.DrawNextFrame(index), DecodeStatus::kOk);
    EXPECT_EQ(index, 0u) << "loops to the first frame";
    EXPECT_EQ(At(canvas, 1, 0), opaque | red);
    EXPECT_EQ(At(canvas, 3, 0), opaque | red);
}

TEST(GifCanvasComposition, LocalColourTablesAndFramesOutsideTheScreen) {
    const Bytes file = GifBuilder(2, 2, {0x111111, 0x222222})
                           .Image(0, 0, 2, 2, {0, 1, 1, 0})
                           .Image(1, 1, 3, 3, {1, 1, 1, 1, 0, 1, 1, 1, 1}, {0xAA0000, 0x00BB00})
                           .Finish();
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    GifCanvas canvas(*picture.animation);
    size_t index;
    ASSERT_EQ(canvas.DrawNextFrame(index), DecodeStatus::kOk);
    ASSERT_EQ(canvas.DrawNextFrame(index), DecodeStatus::kOk);
    EXPECT_EQ(At(canvas, 0, 0), 0xFF111111u);
    EXPECT_EQ(At(canvas, 1, 0), 0xFF222222u);
    EXPECT_EQ(At(canvas, 1, 1), 0xFF00BB00u) << "clipped frame uses its own table";
}

TEST(GifStill, InterlacedRowsAreReordered) {
    Bytes indexes;
    for (int y = 0; y < 10; ++y) indexes.push_back(static_cast<uint8_t>(y));
    // Stored order of a 10-row interlaced image: rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    const Bytes stored{0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    std::vector<uint32_t> colours;
    for (uint32_t i = 0; i < 10; ++i) colours.push_back(i * 0x010101);
    const Bytes file = GifBuilder(1, 10, colours).Image(0, 0, 1, 10, stored, {}, true).Finish();
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    const Bytes rgb = ToRgbTopDown(picture);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(rgb[3 * y], y) << y;
}

TEST(GifStill, ASmallFirstFrameIsFilledWithTheTransparentIndex) {
    const Bytes file = GifBuilder(3, 1, {0x000000, 0xFFFFFF, 0x808080})
                           .Control(0, 0, 2).Image(1, 0, 1, 1, {1}).Finish();
    PictureObject picture;
    ASSERT_EQ(DecodePicture(file.data(), static_cast<int64_t>(file.size()), picture), DecodeStatus::kOk);
    EXPECT_EQ(picture.pixels[1064], 2);
    EXPECT_EQ(picture.pixels[1065], 1);
    EXPECT_EQ(picture.pixels[1066], 2);
}

}  // namespace
