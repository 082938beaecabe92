// Picture decoding speed against anchors measured in the same run: libpng
// decoding the same PNG directly, and memcpy of the BMP reader's output.
// The GIF reader's rate is reported in MB/s of output pixels.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "components/pictures/bmp_reader.h"
#include "components/pictures/gif_reader.h"
#include "components/pictures/png_reader.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kWidth = 1024, kHeight = 1024;

uint32_t Noise(uint32_t x, uint32_t y) {
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// A photo-like picture: smooth gradients with a little noise.
uint8_t Channel(uint32_t x, uint32_t y, int c) {
    return static_cast<uint8_t>((x * (c + 1) / 5 + y * (3 - c) / 6 + (Noise(x, y) >> (28 + c))) & 0xFF);
}

void AppendPng(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes MakePng() {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) std::abort();
    png_set_write_fn(png, &out, AppendPng, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(kWidth * 4);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 3; ++c) row[x * 4 + c] = Channel(x, y, c);
            row[x * 4 + 3] = static_cast<uint8_t>(x < 512 ? 255 : (x + y) & 0xFF);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// GIF with real LZW compression of 256-colour pixels.
Bytes MakeGif() {
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](uint32_t v) { out.push_back(static_cast<uint8_t>(v)), out.push_back(static_cast<uint8_t>(v >> 8)); };
    put16(kWidth), put16(kHeight);
    out.insert(out.end(), {0xF7, 0, 0});
    for (int i = 0; i < 256; ++i) out.insert(out.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    out.push_back(0x2C);
    put16(0), put16(0), put16(kWidth), put16(kHeight);
    out.push_back(0);
    out.push_back(8);

    Bytes packed;
    uint32_t bits = 0;
    int count = 0, codeBits = 9, nextCode = 258;
    auto emit = [&](int code) {
        bits |= static_cast<uint32_t>(code) << count;
        count += codeBits;
        while (count >= 8) packed.push_back(static_cast<uint8_t>(bits)), bits >>= 8, count -= 8;
    };
    std::map<uint32_t, int> table;  // (prefix code << 8 | byte) -> code
    emit(256);
    int prefix = -1;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint8_t pixel = static_cast<uint8_t>((x / 3 + y / 5 + (Noise(x / 2, y / 2) >> 30)) & 0xFF);
            if (prefix < 0) {
                prefix = pixel;
                continue;
            }
            const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | pixel;
            auto found = table.find(key);
            if (found != table.end()) {
                prefix = found->second;
                continue;
            }
            emit(prefix);
            if (nextCode < 4096) {
                table[key] = nextCode++;
                if (nextCode - 1 == (1 << codeBits) && codeBits < 12) ++codeBits;
            } else {
                emit(256);
                table.clear();
                codeBits = 9;
                nextCode = 258;
            }
            prefix = pixel;
        }
    }
    emit(prefix);
    emit(257);
    if (count > 0) packed.push_back(static_cast<uint8_t>(bits));
    for (size_t i = 0; i < packed.size(); i += 255) {
        const size_t n = std::min<size_t>(255, packed.size() - i);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), packed.begin() + static_cast<ptrdiff_t>(i), packed.begin() + static_cast<ptrdiff_t>(i + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

Bytes MakeBmp24() {
    const uint32_t stride = (kWidth * 3 + 3) & ~3u;
    Bytes out{'B', 'M'};
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(54 + stride * kHeight), put32(0), put32(54);
    put32(40), put32(kWidth), put32(kHeight), put32(1 | (24 << 16)), put32(0), put32(stride * kHeight);
    put32(0), put32(0), put32(0), put32(0);
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < stride; ++x) out.push_back(x < kWidth * 3 ? Channel(x / 3, y, x % 3) : 0);
    return out;
}

const Bytes& Png() { static const Bytes bytes = MakePng(); return bytes; }
const Bytes& Gif() { static const Bytes bytes = MakeGif(); return bytes; }
const Bytes& Bmp() { static const Bytes bytes = MakeBmp24(); return bytes; }

void PngToPictureObject(benchmark::State& state) {
    for (auto _ : state) {
        pictures::PictureObject picture;
        if (pictures::ReadPng(Png().data(), Png().size(), picture) != pictures::DecodeStatus::kOk)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}

struct Input {
    const Bytes* bytes;
    size_t position;
};
void ReadInput(png_structp png, png_bytep out, size_t count) {
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    if (count > input->bytes->size() - input->position) png_error(png, "truncated");
    std::memcpy(out, input->bytes->data() + input->position, count);
    input->position += count;
}

// The anchor: libpng itself, to 8-bit RGBA rows, with the caller's buffer.
void PngWithLibpngDirectly(benchmark::State& state) {
    std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * 4);
    std::vector<png_bytep> rows(kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) rows[y] = pixels.data() + size_t{y} * kWidth * 4;
    for (auto _ : state) {
        Input input{&Png(), 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) std::abort();
        png_set_read_fn(png, &input, ReadInput);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void GifStill256Colours(benchmark::State& state) {
    for (auto _ : state) {
        pictures::PictureObject picture;
        if (pictures::ReadGif(Gif().data(), Gif().size(), picture) != pictures::DecodeStatus::kOk)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight);
}

void Bmp24ToBottomUpBgr(benchmark::State& state) {
    for (auto _ : state) {
        pictures::PictureObject picture;
        if (pictures::ReadBmp(Bmp().data(), Bmp().size(), picture) != pictures::DecodeStatus::kOk)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}

// The anchor: copying as many bytes as the reader produces.
void MemcpyOfTheBmpOutput(benchmark::State& state) {
    const size_t size = size_t{kWidth} * kHeight * 3;
    std::vector<uint8_t> source(Bmp().begin() + 54, Bmp().begin() + 54 + static_cast<ptrdiff_t>(size)), target(size);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), size);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(PngToPictureObject)->Unit(benchmark::kMillisecond);
BENCHMARK(PngWithLibpngDirectly)->Unit(benchmark::kMillisecond);
BENCHMARK(GifStill256Colours)->Unit(benchmark::kMillisecond);
BENCHMARK(Bmp24ToBottomUpBgr)->Unit(benchmark::kMicrosecond);
BENCHMARK(MemcpyOfTheBmpOutput)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's processor time per iteration (steadier than wall time on a
// shared machine) so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                seconds_[run.run_name.function_name] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
                if (run.counters.count("bytes_per_second"))
                    rates_[run.run_name.function_name] = run.counters.at("bytes_per_second");
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* what, const char* subject, const char* anchor, double target) const {
        if (!seconds_.count(subject) || !seconds_.count(anchor)) return;
        const double ratio = seconds_.at(subject) / seconds_.at(anchor);
        std::printf("ratio %-32s %6.2fx (target <= %.2fx) %s\n", what, ratio, target, ratio <= target ? "met" : "MISSED");
    }
    void PrintRate(const char* what, const char* subject, double targetMegabytes) const {
        if (!rates_.count(subject)) return;
        const double rate = rates_.at(subject) / 1e6;
        std::printf("rate  %-32s %6.1f MB/s (target >= %.0f MB/s) %s\n", what, rate, targetMegabytes,
                    rate >= targetMegabytes ? "met" : "MISSED");
    }

private:
    std::map<std::string, double> seconds_, rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Png(), Gif(), Bmp();  // made before timing starts
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("PNG to PictureObject / libpng", "PngToPictureObject", "PngWithLibpngDirectly", 1.15);
    reporter.PrintRate("GIF 1 MP 256 colours", "GifStill256Colours", 60);
    reporter.PrintRatio("BMP 24-bit / memcpy of output", "Bmp24ToBottomUpBgr", "MemcpyOfTheBmpOutput", 4.0);
    benchmark::Shutdown();
    return 0;
}
