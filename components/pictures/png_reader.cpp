#include "components/pictures/png_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

namespace pictures {
namespace {

struct PngInput {
    const uint8_t* data;
    size_t length;
    size_t position;
};

void ReadInput(png_structp png, png_bytep out, size_t count) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (count > input->length - input->position) png_error(png, "truncated");
    std::memcpy(out, input->data + input->position, count);
    input->position += count;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { longjmp(png_jmpbuf(png), 1); }
void OnWarning(png_structp, png_const_charp) {}

// The functions below call into libpng, which leaves them by longjmp on
// damage: they hold nothing that needs destroying.

bool ReadHeader(png_structp png, png_infop info, PngInput* input, uint32_t& width, uint32_t& height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, input, ReadInput);
    png_set_user_limits(png, kMaxPictureDimension, kMaxPictureDimension);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == static_cast<size_t>(width) * 4;
}

bool ReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

DecodeStatus Decode(png_structp png, png_infop info, PngInput* input, const PixelTarget& target) {
    uint32_t width = 0, height = 0;
    if (!ReadHeader(png, info, input, width, height)) return DecodeStatus::kDamaged;
    if (!DimensionsAllowed(width, height)) return DecodeStatus::kTooLarge;
    std::vector<png_bytep> rows;
    uint8_t* pixels = nullptr;
    try {
        rows.resize(height);
        pixels = target(width, height);
    } catch (const std::bad_alloc&) {
        return DecodeStatus::kOutOfMemory;
    }
    if (!pixels) return DecodeStatus::kOutOfMemory;
    for (uint32_t y = 0; y < height; ++y) rows[y] = pixels + static_cast<size_t>(y) * width * 4;
    if (!ReadRows(png, rows.data())) return DecodeStatus::kDamaged;
    return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus ReadPngInto(const uint8_t* data, size_t length, const PixelTarget& target) {
    if (!data || length < 8 || png_sig_cmp(data, 0, 8) != 0) return DecodeStatus::kUnknownFormat;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png) return DecodeStatus::kOutOfMemory;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return DecodeStatus::kOutOfMemory;
    }
    PngInput input{data, length, 0};
    DecodeStatus status = Decode(png, info, &input, target);
    png_destroy_read_struct(&png, &info, nullptr);
    return status;
}

DecodeStatus ReadPng(const uint8_t* data, size_t length, PictureObject& picture) {
    std::vector<uint8_t> pixels;
    uint32_t width = 0, height = 0;
    DecodeStatus status = ReadPngInto(data, length, [&](uint32_t w, uint32_t h) {
        pixels.resize(static_cast<size_t>(w) * h * 4);
        width = w;
        height = h;
        return pixels.data();
    });
    if (status != DecodeStatus::kOk) return status;
    picture.Clear();
    picture.kind = PictureKind::Png;
    picture.width = width;
    picture.height = height;
    picture.pixels = std::move(pixels);
    return DecodeStatus::kOk;
}

}  // namespace pictures
