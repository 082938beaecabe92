// fuzz-sources: components/pictures/*.cpp
// fuzz-libraries: -lpng -ljpeg -lz
// fuzz-seeds: tests/data/pictures/*.gif
#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/pictures/gif_canvas.h"
#include "components/pictures/gif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pictures::PictureObject picture;
    if (pictures::ReadGif(data, size, picture) != pictures::DecodeStatus::kOk || !picture.animation) return 0;
    std::vector<uint8_t> still;  // what a component that does not play it draws
    pictures::StillPixels(picture, still);
    // Compose every frame once and then the first again, as a looping picture box would.
    pictures::GifCanvas canvas(*picture.animation);
    size_t index = 0;
    for (size_t i = 0; i <= picture.animation->frames.size(); ++i)
        if (canvas.DrawNextFrame(index) != pictures::DecodeStatus::kOk) break;
    return 0;
}
