// Picture decoding speed against anchors measured in the same run: libpng
// decoding the same PNG directly, giflib decoding the same GIF pictures (a
// still and an animation) with the memory each keeps per frame, and memcpy
// of the BMP reader's output.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <malloc.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/bmp_file.h"
#include "components/pictures/bmp_reader.h"
#include "components/pictures/gif_reader.h"
#include "components/pictures/png_reader.h"
#include "gif_pictures.h"

namespace {

using bench_pictures::Bytes;
using bench_pictures::Noise;
constexpr uint32_t kWidth = 1024, kHeight = 1024;

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

Bytes MakeBmp24() {
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)  // y counts from the bottom row, as the file stores them
        for (uint32_t x = 0; x < kWidth; ++x)
            pixels[(kHeight - 1 - y) * kWidth + x] = Channel(x, y, 2) << 16 | Channel(x, y, 1) << 8 | Channel(x, y, 0);
    return common::EncodeBmp24(kWidth, kHeight, pixels.data());
}

const Bytes& Png() { static const Bytes bytes = MakePng(); return bytes; }
const Bytes& Gif() { static const Bytes bytes = bench_pictures::MakeGif({kWidth, kHeight, 1, 0}); return bytes; }
constexpr bench_pictures::GifShape kAnimationShape{320, 240, 24, 10};
const Bytes& AnimatedGif() { static const Bytes bytes = bench_pictures::MakeGif(kAnimationShape); return bytes; }
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

bool DecodeOurs(const Bytes& gif, pictures::PictureObject& picture) {
    return pictures::ReadGif(gif.data(), gif.size(), picture) == pictures::DecodeStatus::kOk;
}

struct GifInput {
    const Bytes* bytes;
    size_t position;
};
int ReadGifInput(GifFileType* file, GifByteType* out, int count) {
    auto* input = static_cast<GifInput*>(file->UserData);
    const size_t n = std::min(static_cast<size_t>(count), input->bytes->size() - input->position);
    std::memcpy(out, input->bytes->data() + input->position, n);
    input->position += n;
    return static_cast<int>(n);
}

// giflib's whole-file read: every frame's indexes, as our reader keeps them.
GifFileType* DecodeWithGiflib(const Bytes& gif) {
    GifInput input{&gif, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&input, ReadGifInput, &error);
    if (!file) return nullptr;
    if (DGifSlurp(file) != GIF_OK) {
        DGifCloseFile(file, &error);
        return nullptr;
    }
    file->UserData = nullptr;
    return file;
}

void GifOurs(benchmark::State& state, const Bytes& (*gif)(), uint64_t pixels) {
    for (auto _ : state) {
        pictures::PictureObject picture;
        if (!DecodeOurs(gif(), picture)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pixels));
}

void GifGiflib(benchmark::State& state, const Bytes& (*gif)(), uint64_t pixels) {
    for (auto _ : state) {
        GifFileType* file = DecodeWithGiflib(gif());
        if (!file) state.SkipWithError("giflib failed");
        benchmark::DoNotOptimize(file);
        int error = 0;
        if (file) DGifCloseFile(file, &error);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pixels));
}

constexpr uint64_t kStillPixels = uint64_t{kWidth} * kHeight;
constexpr uint64_t kAnimationPixels = uint64_t{kAnimationShape.width} * kAnimationShape.height * kAnimationShape.frames;
void GifStillOurs(benchmark::State& state) { GifOurs(state, Gif, kStillPixels); }
void GifStillGiflib(benchmark::State& state) { GifGiflib(state, Gif, kStillPixels); }
void GifAnimatedOurs(benchmark::State& state) { GifOurs(state, AnimatedGif, kAnimationPixels); }
void GifAnimatedGiflib(benchmark::State& state) { GifGiflib(state, AnimatedGif, kAnimationPixels); }

// Heap bytes a decoded picture keeps, per frame: allocated during the decode
// and still held once it returned.
size_t HeapInUse() { return mallinfo2().uordblks; }

void PrintMemoryPerFrame(const char* what, const Bytes& gif, int frames) {
    size_t before = HeapInUse();
    auto ours = std::make_unique<pictures::PictureObject>();
    if (!DecodeOurs(gif, *ours)) return;
    const size_t oursBytes = HeapInUse() - before;
    before = HeapInUse();
    GifFileType* file = DecodeWithGiflib(gif);
    if (!file) return;
    const size_t giflibBytes = HeapInUse() - before;
    int error = 0;
    DGifCloseFile(file, &error);
    std::printf("memory %-31s %8.0f bytes/frame (giflib %.0f) %s\n", what, double(oursBytes) / frames,
                double(giflibBytes) / frames, oursBytes <= giflibBytes ? "met" : "MISSED");
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
BENCHMARK(GifStillOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(GifStillGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(GifAnimatedOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(GifAnimatedGiflib)->Unit(benchmark::kMillisecond);
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
    // How many times the anchor's throughput the subject reaches.
    void PrintSpeedup(const char* what, const char* subject, const char* anchor, double target) const {
        if (!seconds_.count(subject) || !seconds_.count(anchor)) return;
        const double speedup = seconds_.at(anchor) / seconds_.at(subject);
        std::printf("speed %-32s %6.2fx (target >= %.2fx) %s\n", what, speedup, target,
                    speedup >= target ? "met" : "MISSED");
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
    Png(), Gif(), AnimatedGif(), Bmp();  // made before timing starts
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("PNG to PictureObject / libpng", "PngToPictureObject", "PngWithLibpngDirectly", 1.15);
    reporter.PrintRate("GIF 1 MP 256 colours", "GifStillOurs", 60);
    reporter.PrintSpeedup("GIF still 1 MP / giflib", "GifStillOurs", "GifStillGiflib", 1.5);
    reporter.PrintSpeedup("GIF animation 24 x 320x240 / giflib", "GifAnimatedOurs", "GifAnimatedGiflib", 1.5);
    PrintMemoryPerFrame("GIF still 1 MP", Gif(), 1);
    PrintMemoryPerFrame("GIF animation 24 x 320x240", AnimatedGif(), kAnimationShape.frames);
    reporter.PrintRatio("BMP 24-bit / memcpy of output", "Bmp24ToBottomUpBgr", "MemcpyOfTheBmpOutput", 4.0);
    benchmark::Shutdown();
    return 0;
}
