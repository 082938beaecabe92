#include "runtime/runtime_memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/runtime_error.h"

namespace rt {
namespace {

HeapFunctions g_heap = {
    [](size_t size) -> void* { return std::malloc(size ? size : 1); },
    [](void* block, size_t size) -> void* { return std::realloc(block, size ? size : 1); },
    [](void* block) { std::free(block); },
};

const uint8_t* g_constantBegin = nullptr;
const uint8_t* g_constantEnd = nullptr;

}  // namespace

void ReportAllocationFailure(uint32_t size) {
    char message[64];
    std::snprintf(message, sizeof message, "分配 %d 字节内存失败!", static_cast<int>(size));
    ReportRuntimeError(message, 0, 0, 0);
}

void InstallHeap(const HeapFunctions& heap) { g_heap = heap; }

void SetConstantRegion(const void* begin, size_t length) {
    g_constantBegin = static_cast<const uint8_t*>(begin);
    g_constantEnd = g_constantBegin ? g_constantBegin + length : nullptr;
}

bool InConstantRegion(const void* pointer) {
    auto p = static_cast<const uint8_t*>(pointer);
    return p && g_constantBegin && p >= g_constantBegin && p < g_constantEnd;
}

void* Allocate(uint32_t size) {
    void* block = g_heap.allocate(size);
    if (!block) ReportAllocationFailure(size);
    return block;
}

void* AllocateZeroed(uint32_t size) {
    void* block = Allocate(size);
    std::memset(block, 0, size);
    return block;
}

void* Resize(void* block, uint32_t size) {
    if (!block) return Allocate(size);
    if (InConstantRegion(block)) {
        auto source = static_cast<const uint8_t*>(block);
        size_t available = static_cast<size_t>(g_constantEnd - source);
        void* copy = Allocate(size);
        std::memcpy(copy, source, size < available ? size : available);
        return copy;
    }
    void* resized = g_heap.resize(block, size);
    if (!resized) ReportAllocationFailure(size);
    return resized;
}

void Free(void* block) {
    if (!block || InConstantRegion(block)) return;
    g_heap.release(block);
}

}  // namespace rt
