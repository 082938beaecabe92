// Decoded pictures made drawable: every kind reproduces its decoded pixels,
// PNG translucency is resolved against the blend colour, icons stretch with
// their mask, transparent drawing leaves one colour out, and the background
// placement routine reports what it covered.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "components/pictures/picture_decoder.h"
#include "components/pictures/picture_drawing_win32.h"
#include "components/pictures/picture_placement.h"
#include "support/picture_fixtures.h"
#include "support/window_test_library_win32.h"

namespace {

using components::PreparedPicture;
using pictures::PictureObject;
using namespace components::testing;

constexpr COLORREF kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0), kMagenta = RGB(255, 0, 255),
                   kWhite = RGB(255, 255, 255);

// A 32-bit top-down canvas in a memory context, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        uint32_t pixel = bits_[y * width_ + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    int Count(COLORREF colour) const {
        int count = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) count += At(x, y) == colour;
        return count;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

bool PrepareFromBytes(PreparedPicture& prepared, const Bytes& bytes, COLORREF blend, PictureObject* decoded = nullptr) {
    PictureObject picture;
    const int64_t length = static_cast<int64_t>(bytes.size());
    if (pictures::DecodePicture(bytes.data(), length, picture) != pictures::DecodeStatus::kOk) return false;
    HDC screen = GetDC(nullptr);
    const bool made = prepared.Prepare(screen, picture, blend);
    ReleaseDC(nullptr, screen);
    if (decoded) *decoded = std::move(picture);
    return made;
}

TEST(PreparedPicture, EveryKindDrawsItsDecodedPixelsAtNaturalSize) {
    for (const char* name : {"bmp24.bmp", "bmp8.bmp", "photo.jpg", "still.gif", "animated.gif", "pcx256.pcx",
                              "pcxmono.pcx"}) {
        SCOPED_TRACE(name);
        PreparedPicture prepared, flattened;
        PictureObject picture;
        ASSERT_TRUE(PrepareFromBytes(prepared, ReadFixture(name), kWhite, &picture));
        ASSERT_TRUE(flattened.Flatten(picture, kWhite));
        const Bytes rgb = ToRgbTopDown(picture);
        for (const PreparedPicture* drawn : {&prepared, &flattened}) {
            SCOPED_TRACE(drawn == &prepared ? "device bitmap" : "flattened");
            ASSERT_EQ(drawn->Width(), 7);
            ASSERT_EQ(drawn->Height(), 5);
            Canvas canvas(9, 7, kBlue);
            drawn->Draw(canvas.Dc(), 1, 1, -1, -1);
            int wrong = 0;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 7; ++x) {
                    const uint8_t* p = &rgb[(y * 7 + x) * 3];
                    wrong += canvas.At(x + 1, y + 1) != RGB(p[0], p[1], p[2]);
                }
            EXPECT_EQ(wrong, 0);
            EXPECT_EQ(canvas.Count(kBlue), 9 * 7 - 7 * 5) << "drawn outside its rectangle";
        }
    }
}

TEST(PreparedPicture, PngTranslucencyIsResolvedAgainstTheBlendColour) {
    Bytes rows;
    const uint8_t pixels[][4] = {{0, 0, 255, 0}, {255, 0, 0, 128}, {10, 200, 30, 255}};
    rows.push_back(0);  // no filter
    for (const auto& p : pixels) rows.insert(rows.end(), p, p + 4);
    for (COLORREF blend : {kWhite, RGB(0, 128, 0)}) {
        PreparedPicture prepared;
        ASSERT_TRUE(PrepareFromBytes(prepared, PngFile(3, 1, 8, 6, rows), blend));
        Canvas canvas(3, 1, kBlue);
        prepared.Draw(canvas.Dc(), 0, 0, -1, -1);
        EXPECT_EQ(canvas.At(0, 0), blend) << "a fully transparent pixel is the blend colour";
        EXPECT_EQ(canvas.At(2, 0), RGB(10, 200, 30)) << "an opaque pixel is kept";
        const COLORREF half = canvas.At(1, 0);
        if (blend == kWhite) EXPECT_EQ(half, RGB(255, 127, 127));
        else EXPECT_EQ(half, RGB(128, 63, 0));
    }
}

// From file bytes the flattened bitmap is the one decoding and flattening
// make (a PNG takes its own way, straight into the bitmap); a cut-off or
// damaged picture leaves nothing prepared.
TEST(PreparedPicture, FlatteningFileBytesMatchesDecodingFirst) {
    for (const char* name : {"rgba.png", "palette.png", "gray.png", "rgb16.png", "bmp24.bmp", "photo.jpg",
                             "animated.gif", "multi.ico"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = ReadFixture(name);
        PictureObject picture;
        ASSERT_EQ(pictures::DecodePicture(bytes.data(), static_cast<int64_t>(bytes.size()), picture),
                  pictures::DecodeStatus::kOk);
        for (COLORREF blend : {kWhite, RGB(0, 128, 0)}) {
            PreparedPicture decoded, encoded;
            ASSERT_TRUE(decoded.Flatten(picture, blend));
            ASSERT_TRUE(encoded.FlattenEncoded(bytes.data(), bytes.size(), blend));
            ASSERT_EQ(encoded.Width(), decoded.Width());
            ASSERT_EQ(encoded.Height(), decoded.Height());
            Canvas expected(decoded.Width(), decoded.Height(), kBlue), actual(decoded.Width(), decoded.Height(), kBlue);
            decoded.Draw(expected.Dc(), 0, 0, -1, -1);
            encoded.Draw(actual.Dc(), 0, 0, -1, -1);
            int wrong = 0;
            for (int y = 0; y < decoded.Height(); ++y)
                for (int x = 0; x < decoded.Width(); ++x) wrong += actual.At(x, y) != expected.At(x, y);
            EXPECT_EQ(wrong, 0);
        }
    }
    const Bytes png = ReadFixture("rgba.png");
    for (size_t keep : {size_t{0}, size_t{8}, size_t{40}, png.size() - 20}) {
        SCOPED_TRACE(keep);
        Bytes cut(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(keep));
        PreparedPicture prepared;
        ASSERT_TRUE(prepared.FlattenEncoded(png.data(), png.size(), kWhite));
        EXPECT_FALSE(prepared.FlattenEncoded(cut.data(), cut.size(), kWhite));
        EXPECT_FALSE(prepared.Ready()) << "a refused picture leaves the earlier one released, nothing half-made";
    }
}

TEST(PreparedPicture, IconsAreDrawnAtTheRequestedSizeThroughTheirMask) {
    Bytes file = IconFile(1, {{16, 16, 0, 1, 24, IconDib(16, 16, 24, 0x5A)}});
    PreparedPicture prepared;
    ASSERT_TRUE(PrepareFromBytes(prepared, file, kWhite));
    ASSERT_TRUE(prepared.IsIcon());
    Canvas canvas(40, 40, kWhite);
    prepared.Draw(canvas.Dc(), 0, 0, 32, 32);
    EXPECT_EQ(canvas.Count(RGB(0x5A, 0x5A, 0x5A)), 32 * 32);
    EXPECT_EQ(canvas.At(32, 32), kWhite);
}

TEST(PreparedPicture, TransparentDrawingLeavesTheTargetWhereTheColourIs) {
    // 4 × 2: magenta and red alternating.
    Bytes bmp = components::testing::BitmapFile(4, 2, [](int x, int y) { return (x + y) % 2 == 0 ? kMagenta : kRed; });
    PreparedPicture prepared;
    ASSERT_TRUE(PrepareFromBytes(prepared, bmp, kWhite));
    struct Case {
        const char* name;
        int scale;
        bool negativeOperation;
    };
    const Case cases[] = {{"natural", 1, false}, {"stretched", 3, false}, {"negative operation", 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(4 * c.scale, 2 * c.scale, kBlue);
        if (c.negativeOperation)
            prepared.Draw(canvas.Dc(), 0, 0, 4 * c.scale, 2 * c.scale, -static_cast<int32_t>(kMagenta));
        else
            prepared.DrawTransparent(canvas.Dc(), 0, 0, 4 * c.scale, 2 * c.scale, kMagenta);
        EXPECT_EQ(canvas.Count(kMagenta), 0);
        EXPECT_EQ(canvas.Count(kBlue), 4 * c.scale * c.scale);
        EXPECT_EQ(canvas.Count(kRed), 4 * c.scale * c.scale);
        EXPECT_EQ(canvas.At(0, 0), kBlue);
        EXPECT_EQ(canvas.At(c.scale, 0), kRed);
    }
}

// What the placement routine drew and what it left for the caller to fill.
TEST(BackgroundPlacement, CoversItsPlaceAndTakesItOutOfTheUncoveredRegion) {
    PreparedPicture picture;
    Bytes red = components::testing::BitmapFile(10, 5, [](int, int) { return kRed; });
    ASSERT_TRUE(PrepareFromBytes(picture, red, kWhite));
    struct Case {
        int mode;
        RECT covered;
    };
    const RECT area{2, 3, 27, 23};  // 25 × 20
    for (const Case& c : {Case{pictures::kBackgroundTopLeft, {2, 3, 12, 8}}, Case{pictures::kBackgroundTiled, area},
                          Case{pictures::kBackgroundCentred, {9, 10, 19, 15}}, Case{pictures::kBackgroundStretched, area}}) {
        SCOPED_TRACE(c.mode);
        Canvas canvas(30, 26, kBlue);
        HRGN uncovered = CreateRectRgnIndirect(&area);
        components::PlaceBackgroundPicture(canvas.Dc(), picture, c.mode, area, area, uncovered, kWhite);
        const int coveredArea = (c.covered.right - c.covered.left) * (c.covered.bottom - c.covered.top);
        EXPECT_EQ(canvas.Count(kRed), coveredArea);
        EXPECT_EQ(canvas.At(c.covered.left, c.covered.top), kRed);
        EXPECT_EQ(canvas.At(c.covered.right - 1, c.covered.bottom - 1), kRed);
        RECT box;
        int kind = GetRgnBox(uncovered, &box);
        if (coveredArea == 25 * 20) {
            EXPECT_EQ(kind, NULLREGION);
        } else {
            EXPECT_FALSE(PtInRegion(uncovered, c.covered.left, c.covered.top));
            EXPECT_TRUE(PtInRegion(uncovered, c.covered.right, c.covered.top));
            EXPECT_TRUE(PtInRegion(uncovered, area.right - 1, area.bottom - 1));
        }
        DeleteObject(uncovered);
    }
}

}  // namespace
