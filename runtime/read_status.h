// Outcome of reading stored bytes (the window template, a component's
// property data). Readers never throw and never hand back partial results.
#pragma once

namespace rt {

enum class ReadStatus {
    kOk,
    kTruncated,           // a field runs past the end of the data
    kBadLayout,           // lengths, counts or offsets that do not add up
    kUnsupportedVersion,  // a format version newer than this reader knows
    kTrailingBytes,       // bytes left over after the last form
};

inline const char* ReadStatusText(ReadStatus status) {
    switch (status) {
        case ReadStatus::kOk: return "ok";
        case ReadStatus::kTruncated: return "data ends inside a field";
        case ReadStatus::kBadLayout: return "lengths or offsets do not add up";
        case ReadStatus::kUnsupportedVersion: return "format version is newer than this reader";
        case ReadStatus::kTrailingBytes: return "bytes left over after the last form";
    }
    return "unknown status";
}

}  // namespace rt
