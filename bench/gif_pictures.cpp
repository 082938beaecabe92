#include "gif_pictures.h"

#include <algorithm>
#include <memory>

namespace bench_pictures {
namespace {

// LZW with a direct table: (prefix code, byte) -> code, valid for the
// current generation only, so a clear code empties it at no cost.
class LzwEncoder {
public:
    explicit LzwEncoder(Bytes& packed)
        : packed_(packed), codes_(new uint16_t[kKeys]), generations_(new uint32_t[kKeys]()) {}

    void Encode(const uint8_t* pixels, size_t count) {
        Emit(kClear);
        int prefix = -1;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t pixel = pixels[i];
            if (prefix < 0) {
                prefix = pixel;
                continue;
            }
            const size_t key = (static_cast<size_t>(prefix) << 8) | pixel;
            if (generations_[key] == generation_) {
                prefix = codes_[key];
                continue;
            }
            Emit(prefix);
            if (nextCode_ < 4096) {
                codes_[key] = static_cast<uint16_t>(nextCode_++);
                generations_[key] = generation_;
                if (nextCode_ - 1 == (1 << codeBits_) && codeBits_ < 12) ++codeBits_;
            } else {
                Emit(kClear);
                ++generation_;
                codeBits_ = 9;
                nextCode_ = 258;
            }
            prefix = pixel;
        }
        Emit(prefix);
        Emit(kEnd);
        if (count_ > 0) packed_.push_back(static_cast<uint8_t>(bits_));
    }

private:
    static constexpr size_t kKeys = size_t{4096} << 8;
    static constexpr int kClear = 256, kEnd = 257;
    void Emit(int code) {
        bits_ |= static_cast<uint32_t>(code) << count_;
        count_ += codeBits_;
        while (count_ >= 8) packed_.push_back(static_cast<uint8_t>(bits_)), bits_ >>= 8, count_ -= 8;
    }
    Bytes& packed_;
    std::unique_ptr<uint16_t[]> codes_;
    std::unique_ptr<uint32_t[]> generations_;
    uint32_t generation_ = 1;
    uint32_t bits_ = 0;
    int count_ = 0, codeBits_ = 9, nextCode_ = 258;
};

void Put16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

uint32_t Noise(uint32_t x, uint32_t y) {
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

Bytes MakeGif(const GifShape& shape) {
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, shape.width), Put16(out, shape.height);
    out.insert(out.end(), {0xF7, 0, 0});
    for (int i = 0; i < 256; ++i) out.insert(out.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    if (shape.frames > 1) {  // loop for ever
        out.insert(out.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    }
    Bytes pixels(size_t{shape.width} * shape.height);
    for (int frame = 0; frame < shape.frames; ++frame) {
        if (shape.frames > 1) {
            out.insert(out.end(), {0x21, 0xF9, 4, 1 << 2});
            Put16(out, shape.delay);
            out.insert(out.end(), {0, 0});
        }
        for (uint32_t y = 0; y < shape.height; ++y)
            for (uint32_t x = 0; x < shape.width; ++x)
                pixels[size_t{y} * shape.width + x] = static_cast<uint8_t>(
                    ((x + 7 * static_cast<uint32_t>(frame)) / 3 + y / 5 + (Noise(x / 2, y / 2 + frame) >> 30)) & 0xFF);
        out.push_back(0x2C);
        Put16(out, 0), Put16(out, 0), Put16(out, shape.width), Put16(out, shape.height);
        out.push_back(0);
        out.push_back(8);
        Bytes packed;
        LzwEncoder(packed).Encode(pixels.data(), pixels.size());
        for (size_t i = 0; i < packed.size(); i += 255) {
            const size_t n = std::min<size_t>(255, packed.size() - i);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), packed.begin() + static_cast<ptrdiff_t>(i),
                       packed.begin() + static_cast<ptrdiff_t>(i + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace bench_pictures
