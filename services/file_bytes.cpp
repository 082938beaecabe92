#include "services/file_bytes.h"

#include <memory>

namespace services {

bool ReadWholeStream(std::FILE* file, std::string* bytes) {
    char buffer[16384];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, got);
    return !std::ferror(file);
}

// The Windows build opens names through the wide API (file_bytes_win32.cpp).
#if !defined(_WIN32)
bool ReadFileBytes(const char* fileName, std::string* bytes) {
    bytes->clear();
    if (!fileName || !*fileName) return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName, "rb"), &std::fclose);
    return file && ReadWholeStream(file.get(), bytes);
}
#endif

}  // namespace services
