// A start-up trace in the trace-event JSON format: one complete event per
// span, kept in a buffer of fixed size. Off unless started; while off a span
// costs one test of a flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trace {

namespace detail {
extern bool g_on;
int Begin(const char* name, const char* detail);
void End(int slot);
}  // namespace detail

inline bool Enabled() { return detail::g_on; }

// Microseconds since the trace's origin; the platform part may move the
// origin back to the process's creation.
using Clock = int64_t (*)();
// The process's working set in KiB, read at the end of every span when given
// (a negative value means unknown), so the trace shows where memory grows.
using MemoryReader = int64_t (*)();

// Starts recording into a buffer of `capacity` spans (spans beyond it are
// counted and dropped). False when already started or capacity is 0.
bool Start(size_t capacity, Clock clock = nullptr, MemoryReader memory = nullptr);
void Stop();  // frees the buffer; spans still open are forgotten
int64_t Now();

// A completed span whose times are known already (both in trace microseconds).
void Record(const char* name, int64_t begin, int64_t end, const char* detail = nullptr);

// The recorded spans, in the order they began, as a trace-event document.
// Spans still open end "now" and say so in their arguments.
std::string ToJson();
size_t DroppedCount();

// Names are ASCII or UTF-8 and are copied (at most 63 bytes); `detail`
// (optional, UTF-8) becomes the span's "detail" argument.
class Span {
public:
    explicit Span(const char* name, const char* detail = nullptr) {
        if (detail::g_on) slot_ = detail::Begin(name, detail);
    }
    ~Span() { Close(); }
    void Close() {
        if (slot_ >= 0) detail::End(slot_);
        slot_ = -1;
    }
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;

private:
    int slot_ = -1;
};

}  // namespace trace
