#include "updater/update_progress.h"

#include <cstdio>

namespace updater {

std::string ByteCount(uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " 字节";
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string ProgressLine(uint64_t done, uint64_t total, double bytesPerSecond, uint64_t saved) {
    std::string line = ByteCount(done) + " / " + ByteCount(total);
    if (bytesPerSecond > 0) line += "，" + ByteCount(static_cast<uint64_t>(bytesPerSecond)) + "/秒";
    if (saved > 0) line += "，节省 " + ByteCount(saved);
    return line;
}

}  // namespace updater
