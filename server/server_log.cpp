#include "server/server_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "common/hex.h"
#include "common/text/gbk_converter.h"

namespace server {

LogSink StandardErrorSink() {
    return [](std::string_view line) {
        std::string text(line);
        text += '\n';
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    };
}

void ServerLog::Write(std::string_view event) const {
    if (!sink_) return;
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(milliseconds));
    std::string line = stamp;
    line += event;
    sink_(line);
}

std::string LogField(common::GbkConverter& converter, std::string_view gbk) {
    std::string utf8;
    if (!converter.ToUtf8(gbk, utf8)) {
        return "hex:" + common::HexEncode(gbk);
    }
    std::string field = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            field.push_back('\\');
            field.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c == 0x7F) {
            field += "\\x";
            field.push_back(common::kLowerHexDigits[c >> 4]);
            field.push_back(common::kLowerHexDigits[c & 15]);
        } else {
            field.push_back(static_cast<char>(c));
        }
    }
    field.push_back('"');
    return field;
}

}  // namespace server
