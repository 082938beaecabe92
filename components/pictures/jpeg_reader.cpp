#include "components/pictures/jpeg_reader.h"

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstring>
#include <new>

namespace pictures {
namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) { longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

// A warning means corrupt or missing data that libjpeg would paper over.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

struct JpegSession {
    jpeg_decompress_struct info;
    JpegErrors errors;
    bool cmyk;
};

// The functions below call into libjpeg, which leaves them by longjmp on
// damage: they hold nothing that needs destroying.

bool ReadHeader(JpegSession& session, const uint8_t* data, size_t length) {
    if (setjmp(session.errors.jump)) return false;
    jpeg_create_decompress(&session.info);
    jpeg_mem_src(&session.info, data, static_cast<unsigned long>(length));
    jpeg_read_header(&session.info, TRUE);
    const J_COLOR_SPACE space = session.info.jpeg_color_space;
    session.cmyk = space == JCS_CMYK || space == JCS_YCCK;
    session.info.out_color_space = session.cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&session.info);
    return true;
}

// Adobe writes CMYK inverted (255 = no ink); others write it plain.
void CmykToBgr(const uint8_t* cmyk, uint32_t width, bool inverted, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, out += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[0] = static_cast<uint8_t>(y * k / 255);
        out[1] = static_cast<uint8_t>(m * k / 255);
        out[2] = static_cast<uint8_t>(c * k / 255);
    }
}

bool ReadRows(JpegSession& session, uint8_t* pixels, uint8_t* cmykRow) {
    if (setjmp(session.errors.jump)) return false;
    jpeg_decompress_struct& info = session.info;
    jpeg_start_decompress(&info);
    const uint32_t width = info.output_width, height = info.output_height;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    while (info.output_scanline < height) {
        uint8_t* row = pixels + rowBytes * (height - 1 - info.output_scanline);
        JSAMPROW target = session.cmyk ? cmykRow : row;
        if (jpeg_read_scanlines(&info, &target, 1) != 1) return false;
        if (session.cmyk) CmykToBgr(cmykRow, width, info.saw_Adobe_marker, row);
    }
    jpeg_finish_decompress(&info);
    return true;
}

DecodeStatus Decode(JpegSession& session, const uint8_t* data, size_t length, PictureObject& picture) {
    if (!ReadHeader(session, data, length)) return DecodeStatus::kDamaged;
    const uint32_t width = session.info.output_width, height = session.info.output_height;
    if (!DimensionsAllowed(width, height)) return DecodeStatus::kTooLarge;
    std::vector<uint8_t> pixels, cmykRow;
    try {
        pixels.resize(static_cast<size_t>(width) * height * 3);
        if (session.cmyk) cmykRow.resize(static_cast<size_t>(width) * 4);
    } catch (const std::bad_alloc&) {
        return DecodeStatus::kOutOfMemory;
    }
    if (!ReadRows(session, pixels.data(), cmykRow.data())) return DecodeStatus::kDamaged;
    picture.Clear();
    picture.kind = PictureKind::Jpeg;
    picture.width = width;
    picture.height = height;
    picture.pixels = std::move(pixels);
    return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus ReadJpeg(const uint8_t* data, size_t length, PictureObject& picture) {
    if (!data || length < 2 || data[0] != 0xFF || data[1] != 0xD8) return DecodeStatus::kUnknownFormat;
    if (length > 0xFFFFFFFFu) return DecodeStatus::kTooLarge;
    JpegSession session;
    std::memset(&session, 0, sizeof session);
    session.info.err = jpeg_std_error(&session.errors.manager);
    session.errors.manager.error_exit = OnError;
    session.errors.manager.emit_message = OnMessage;
    DecodeStatus status = Decode(session, data, length, picture);
    jpeg_destroy_decompress(&session.info);
    return status;
}

}  // namespace pictures
