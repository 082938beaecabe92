// fuzz-sources: components/pictures/*.cpp
// fuzz-libraries: -lpng -ljpeg -lz
// fuzz-seeds: tests/data/pictures/*.bmp
#include <cstddef>
#include <cstdint>

#include "components/pictures/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pictures::PictureObject picture;
    pictures::ReadBmp(data, size, picture);
    return 0;
}
