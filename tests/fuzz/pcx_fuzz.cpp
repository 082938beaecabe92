// fuzz-sources: components/pictures/*.cpp
// fuzz-libraries: -lpng -ljpeg -lz
// fuzz-seeds: tests/data/pictures/*.pcx
#include <cstddef>
#include <cstdint>

#include "components/pictures/pcx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pictures::PictureObject picture;
    pictures::ReadPcx(data, size, picture);
    return 0;
}
