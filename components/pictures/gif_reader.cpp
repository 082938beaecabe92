#include "components/pictures/gif_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "components/pictures/byte_reader.h"
#include "components/pictures/gif_lzw_decoder.h"
#include "components/pictures/indexed_layout.h"

namespace pictures {
namespace {

struct GraphicControl {
    bool present = false;
    GifDisposal disposal = GifDisposal::Unspecified;
    uint32_t delay = 0;
    int32_t transparentIndex = -1;
};

bool ReadColourTable(ByteReader& reader, uint8_t packed, std::vector<uint32_t>& colours) {
    size_t count = size_t{2} << (packed & 7);
    const uint8_t* rgb;
    if (!reader.ReadSpan(rgb, count * 3)) return false;
    colours.resize(count);
    for (size_t i = 0; i < count; ++i)
        colours[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    return true;
}

// Joins data sub-blocks up to the zero-length terminator.
bool ReadSubBlocks(ByteReader& reader, std::vector<uint8_t>* joined) {
    for (;;) {
        uint8_t size;
        if (!reader.ReadU8(size)) return false;
        if (size == 0) return true;
        const uint8_t* block;
        if (!reader.ReadSpan(block, size)) return false;
        if (joined) joined->insert(joined->end(), block, block + size);
    }
}

DecodeStatus ReadExtension(ByteReader& reader, GraphicControl& control) {
    uint8_t label;
    if (!reader.ReadU8(label)) return DecodeStatus::kDamaged;
    if (label == 0xF9) {
        uint8_t size;
        const uint8_t* block;
        if (!reader.ReadU8(size) || size < 4 || !reader.ReadSpan(block, size)) return DecodeStatus::kDamaged;
        control.present = true;
        uint8_t disposal = (block[0] >> 2) & 7;
        control.disposal = disposal <= 3 ? static_cast<GifDisposal>(disposal) : GifDisposal::Unspecified;
        control.delay = LoadU16(block + 1);
        control.transparentIndex = (block[0] & 1) ? block[3] : -1;
    }
    return ReadSubBlocks(reader, nullptr) ? DecodeStatus::kOk : DecodeStatus::kDamaged;
}

// Every index must name a colour, except the transparent one, which is never drawn.
bool IndexesInRange(const std::vector<uint8_t>& indexes, size_t colourCount, int32_t transparentIndex) {
    if (colourCount >= 256) return true;
    uint8_t highest = 0;
    for (uint8_t index : indexes) highest = std::max(highest, index);
    if (highest < colourCount) return true;
    for (uint8_t index : indexes)
        if (index >= colourCount && index != transparentIndex) return false;
    return true;
}

void Deinterlace(std::vector<uint8_t>& indexes, uint32_t width, uint32_t height) {
    std::vector<uint8_t> rows(indexes.size());
    static const uint32_t kStart[4] = {0, 4, 2, 1};
    static const uint32_t kStep[4] = {8, 8, 4, 2};
    const uint8_t* source = indexes.data();
    for (int pass = 0; pass < 4; ++pass)
        for (uint32_t y = kStart[pass]; y < height; y += kStep[pass], source += width)
            std::memcpy(rows.data() + static_cast<size_t>(y) * width, source, width);
    indexes.swap(rows);
}

DecodeStatus ReadImage(ByteReader& reader, const GraphicControl& control, const std::vector<uint32_t>& globalColours,
                       uint64_t& storedBytes, GifFrame& frame) {
    const uint8_t* descriptor;
    if (!reader.ReadSpan(descriptor, 9)) return DecodeStatus::kDamaged;
    frame.left = LoadU16(descriptor);
    frame.top = LoadU16(descriptor + 2);
    frame.width = LoadU16(descriptor + 4);
    frame.height = LoadU16(descriptor + 6);
    const uint8_t packed = descriptor[8];
    if ((packed & 0x80) && !ReadColourTable(reader, packed, frame.colours)) return DecodeStatus::kDamaged;
    if (frame.colours.empty() && globalColours.empty()) return DecodeStatus::kDamaged;
    frame.delay = control.delay;
    frame.disposal = control.disposal;
    frame.transparentIndex = control.transparentIndex;

    uint8_t minimumCodeSize;
    if (!reader.ReadU8(minimumCodeSize)) return DecodeStatus::kDamaged;
    std::vector<uint8_t> compressed;
    if (!ReadSubBlocks(reader, &compressed)) return DecodeStatus::kDamaged;

    const uint64_t area = uint64_t{frame.width} * frame.height;
    if (area > kMaxPicturePixels) return DecodeStatus::kTooLarge;
    storedBytes += area;
    if (storedBytes > kMaxAnimationBytes) return DecodeStatus::kTooLarge;
    frame.indexes.resize(area);
    DecodeStatus status = DecodeGifLzw(compressed.data(), compressed.size(), minimumCodeSize, frame.indexes.data(),
                                       frame.indexes.size());
    if (status != DecodeStatus::kOk) return status;
    const size_t colourCount = frame.colours.empty() ? globalColours.size() : frame.colours.size();
    if (!IndexesInRange(frame.indexes, colourCount, frame.transparentIndex)) return DecodeStatus::kDamaged;
    if ((packed & 0x40) && area > 0) Deinterlace(frame.indexes, frame.width, frame.height);
    return DecodeStatus::kOk;
}

DecodeStatus ReadGifFrames(const uint8_t* data, size_t length, PictureObject& picture) {
    ByteReader reader(data, length);
    const uint8_t* header;
    if (!reader.ReadSpan(header, 13)) return DecodeStatus::kDamaged;
    if (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0)
        return DecodeStatus::kUnknownFormat;

    auto gif = std::make_unique<GifAnimation>();
    gif->width = LoadU16(header + 6);
    gif->height = LoadU16(header + 8);
    const uint8_t packed = header[10];
    gif->backgroundIndex = header[11];
    if (gif->width == 0 || gif->height == 0) return DecodeStatus::kDamaged;
    if (!DimensionsAllowed(gif->width, gif->height)) return DecodeStatus::kTooLarge;
    if ((packed & 0x80) && !ReadColourTable(reader, packed, gif->globalColours)) return DecodeStatus::kDamaged;

    GraphicControl control;
    uint64_t storedBytes = 0;
    for (;;) {
        uint8_t introducer;
        if (!reader.ReadU8(introducer)) return DecodeStatus::kDamaged;
        if (introducer == 0x3B) break;
        if (introducer == 0x21) {
            DecodeStatus status = ReadExtension(reader, control);
            if (status != DecodeStatus::kOk) return status;
        } else if (introducer == 0x2C) {
            gif->frames.emplace_back();
            DecodeStatus status = ReadImage(reader, control, gif->globalColours, storedBytes, gif->frames.back());
            if (status != DecodeStatus::kOk) return status;
            control = GraphicControl();
        } else {
            return DecodeStatus::kDamaged;
        }
    }
    if (gif->frames.empty()) return DecodeStatus::kDamaged;

    picture.kind = PictureKind::Gif;
    picture.width = gif->width;
    picture.height = gif->height;
    // An animation keeps its frames only: a still copy would add a frame's worth of memory.
    if (gif->frames.size() > 1) {
        picture.animation = std::move(gif);
        return DecodeStatus::kOk;
    }
    return ComposeGifStill(*gif, picture.pixels);
}

}  // namespace

DecodeStatus ReadGif(const uint8_t* data, size_t length, PictureObject& picture) {
    PictureObject decoded;
    DecodeStatus status;
    try {
        status = ReadGifFrames(data, length, decoded);
    } catch (const std::bad_alloc&) {
        status = DecodeStatus::kOutOfMemory;
    }
    if (status == DecodeStatus::kOk) picture = std::move(decoded);
    return status;
}

DecodeStatus ComposeGifStill(const GifAnimation& gif, std::vector<uint8_t>& pixels) {
    if (gif.frames.empty()) return DecodeStatus::kDamaged;
    const GifFrame& frame = gif.frames.front();
    const std::vector<uint32_t>& colours = frame.colours.empty() ? gif.globalColours : frame.colours;
    DecodeStatus status = StartIndexedLayout(pixels, gif.width, gif.height, colours.data(), colours.size());
    if (status != DecodeStatus::kOk) return status;
    const bool fullScreen = frame.left == 0 && frame.top == 0 && frame.width == gif.width && frame.height == gif.height;
    const uint8_t fill = frame.transparentIndex >= 0 ? static_cast<uint8_t>(frame.transparentIndex) : gif.backgroundIndex;
    const uint32_t visibleWidth = frame.left < gif.width ? std::min(frame.width, gif.width - frame.left) : 0;
    for (uint32_t y = 0; y < gif.height; ++y) {
        uint8_t* row = IndexedRow(pixels, gif.width, gif.height, y);
        if (fullScreen) {
            std::memcpy(row, frame.indexes.data() + static_cast<size_t>(y) * frame.width, frame.width);
            continue;
        }
        std::memset(row, fill, gif.width);
        if (y >= frame.top && y - frame.top < frame.height && visibleWidth > 0)
            std::memcpy(row + frame.left, frame.indexes.data() + static_cast<size_t>(y - frame.top) * frame.width,
                        visibleWidth);
    }
    return DecodeStatus::kOk;
}

const std::vector<uint8_t>& StillPixels(const PictureObject& picture, std::vector<uint8_t>& composed) {
    if (!picture.Animated() || !picture.pixels.empty()) return picture.pixels;
    if (ComposeGifStill(*picture.animation, composed) != DecodeStatus::kOk) composed.clear();
    return composed;
}

}  // namespace pictures
