// fuzz-sources: components/pictures/*.cpp
// fuzz-libraries: -lpng -ljpeg -lz
// fuzz-seeds: tests/data/pictures/*.ico tests/data/pictures/*.cur
#include <cstddef>
#include <cstdint>

#include "components/pictures/icon_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pictures::PictureObject picture;
    pictures::ReadIcon(data, size, pictures::IconSize::Large, picture);
    pictures::ReadIcon(data, size, pictures::IconSize::Small, picture);
    return 0;
}
