#include "runtime/startup_trace.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

namespace trace {
namespace detail {
bool g_on = false;
}  // namespace detail

namespace {

constexpr size_t kTextSize = 64;

// Plain data, so that the buffer is left untouched until spans fill it: a
// start's working set grows by the spans it records, not by the capacity.
// `end` and `memory` are read while another thread may still write them.
struct Entry {
    char name[kTextSize];
    char detail[kTextSize];
    int64_t begin;
    alignas(std::atomic_ref<int64_t>::required_alignment) int64_t end;
    alignas(std::atomic_ref<int64_t>::required_alignment) int64_t memory;  // KiB at the end, or kUnknown
    int thread;
};

int64_t Load(int64_t& field, std::memory_order order) { return std::atomic_ref<int64_t>(field).load(order); }
void Store(int64_t& field, int64_t value, std::memory_order order) {
    std::atomic_ref<int64_t>(field).store(value, order);
}

struct Buffer {
    std::unique_ptr<Entry[]> entries;
    std::unique_ptr<std::atomic<bool>[]> ready;  // one flag per entry, set when its fields are written
    size_t capacity = 0;
    std::atomic<size_t> next{0};
    std::atomic<size_t> dropped{0};
    Clock clock = nullptr;
    MemoryReader memory = nullptr;
    std::chrono::steady_clock::time_point origin;
};

Buffer g_buffer;
std::atomic<int> g_threads{0};
constexpr int64_t kOpen = -1;
constexpr int64_t kUnknown = -1;

int64_t ReadMemory() {
    int64_t kib = g_buffer.memory ? g_buffer.memory() : kUnknown;
    return kib < 0 ? kUnknown : kib;
}

int ThreadNumber() {
    thread_local int number = ++g_threads;
    return number;
}

// Copies at most kTextSize - 1 bytes without cutting a UTF-8 sequence in two.
void CopyText(char* target, const char* source) {
    size_t length = source ? std::strlen(source) : 0;
    if (length >= kTextSize) {
        length = kTextSize - 1;
        while (length > 0 && (static_cast<unsigned char>(source[length]) & 0xC0) == 0x80) --length;
    }
    if (length) std::memcpy(target, source, length);
    target[length] = 0;
}

int64_t SteadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 g_buffer.origin)
        .count();
}

// Length of the valid UTF-8 sequence at `text`, or 0.
size_t Utf8SequenceLength(const unsigned char* text) {
    unsigned char lead = text[0];
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || (length > 1 && lead < 0xC2)) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((text[i] & 0xC0) != 0x80) return 0;
    return length;
}

// A JSON string; bytes that are not UTF-8 become '?', so the document stays valid.
void AppendString(std::string& out, const char* text) {
    out += '"';
    for (auto p = reinterpret_cast<const unsigned char*>(text); *p;) {
        unsigned char c = *p;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (c >= 0x80) {
            size_t length = Utf8SequenceLength(p);
            if (length == 0) {
                out += '?';
                ++p;
                continue;
            }
            out.append(reinterpret_cast<const char*>(p), length);
            p += length;
            continue;
        } else {
            out += static_cast<char>(c);
        }
        ++p;
    }
    out += '"';
}

void AppendEvent(std::string& out, const char* name, const char* detail, int64_t begin, int64_t duration,
                 int thread, bool open, int64_t memory) {
    char numbers[96];
    out += "{\"name\":";
    AppendString(out, name);
    std::snprintf(numbers, sizeof numbers, ",\"cat\":\"startup\",\"ph\":\"X\",\"ts\":%lld,\"dur\":%lld,\"pid\":1,\"tid\":%d",
                  static_cast<long long>(begin), static_cast<long long>(duration < 0 ? 0 : duration), thread);
    out += numbers;
    if ((detail && *detail) || open || memory != kUnknown) {
        out += ",\"args\":{";
        const char* separator = "";
        if (detail && *detail) {
            out += "\"detail\":";
            AppendString(out, detail);
            separator = ",";
        }
        if (open) {
            out += separator;
            out += "\"open\":true";
            separator = ",";
        }
        if (memory != kUnknown) {
            std::snprintf(numbers, sizeof numbers, "%s\"working_set_kib\":%lld", separator,
                          static_cast<long long>(memory));
            out += numbers;
        }
        out += '}';
    }
    out += '}';
}

}  // namespace

namespace detail {

int Begin(const char* name, const char* detailText) {
    size_t slot = g_buffer.next.fetch_add(1, std::memory_order_relaxed);
    if (slot >= g_buffer.capacity) {
        g_buffer.dropped.fetch_add(1, std::memory_order_relaxed);
        return -1;
    }
    Entry& entry = g_buffer.entries[slot];
    CopyText(entry.name, name);
    CopyText(entry.detail, detailText);
    entry.thread = ThreadNumber();
    Store(entry.end, kOpen, std::memory_order_relaxed);
    Store(entry.memory, kUnknown, std::memory_order_relaxed);
    entry.begin = Now();
    g_buffer.ready[slot].store(true, std::memory_order_release);
    return static_cast<int>(slot);
}

void End(int slot) {
    if (!g_on || static_cast<size_t>(slot) >= g_buffer.capacity) return;
    Entry& entry = g_buffer.entries[slot];
    Store(entry.memory, ReadMemory(), std::memory_order_relaxed);
    Store(entry.end, Now(), std::memory_order_release);
}

}  // namespace detail

bool Start(size_t capacity, Clock clock, MemoryReader memory) {
    if (detail::g_on || capacity == 0) return false;
    g_buffer.entries = std::make_unique_for_overwrite<Entry[]>(capacity);
    g_buffer.ready = std::make_unique<std::atomic<bool>[]>(capacity);
    g_buffer.capacity = capacity;
    g_buffer.next.store(0);
    g_buffer.dropped.store(0);
    g_buffer.clock = clock;
    g_buffer.memory = memory;
    g_buffer.origin = std::chrono::steady_clock::now();
    detail::g_on = true;
    return true;
}

void Stop() {
    detail::g_on = false;
    g_buffer.entries.reset();
    g_buffer.ready.reset();
    g_buffer.capacity = 0;
    g_buffer.next.store(0);
}

int64_t Now() { return g_buffer.clock ? g_buffer.clock() : SteadyMicroseconds(); }

void Record(const char* name, int64_t begin, int64_t end, const char* detailText) {
    if (!detail::g_on) return;
    int slot = detail::Begin(name, detailText);
    if (slot < 0) return;
    Entry& entry = g_buffer.entries[slot];
    entry.begin = begin;
    Store(entry.memory, ReadMemory(), std::memory_order_relaxed);
    Store(entry.end, end, std::memory_order_release);
}

size_t DroppedCount() { return g_buffer.dropped.load(); }

std::string ToJson() {
    std::string out = "{\"traceEvents\":[";
    if (detail::g_on) {
        const int64_t now = Now();
        size_t count = std::min(g_buffer.next.load(std::memory_order_acquire), g_buffer.capacity);
        bool first = true;
        for (size_t i = 0; i < count; ++i) {
            Entry& entry = g_buffer.entries[i];
            if (!g_buffer.ready[i].load(std::memory_order_acquire)) continue;
            int64_t end = Load(entry.end, std::memory_order_acquire);
            bool open = end == kOpen;
            if (!first) out += ",\n";
            first = false;
            AppendEvent(out, entry.name, entry.detail, entry.begin, (open ? now : end) - entry.begin, entry.thread,
                        open, open ? kUnknown : Load(entry.memory, std::memory_order_relaxed));
        }
    }
    char tail[96];
    std::snprintf(tail, sizeof tail, "],\"displayTimeUnit\":\"ms\",\"otherData\":{\"droppedSpans\":%llu}}\n",
                  static_cast<unsigned long long>(DroppedCount()));
    out += tail;
    return out;
}

}  // namespace trace
