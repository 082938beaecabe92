// Runtime memory: every text, byte set and array handed between program code
// and the runtime lives here. Blocks inside the program's constant data are
// shared literals: never freed, and resized by copying.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// The heap behind entries 6, 7 and 8. The host build uses the C heap; the
// Windows start-up installs the process heap.
struct HeapFunctions {
    void* (*allocate)(size_t size);
    void* (*resize)(void* block, size_t size);
    void (*release)(void* block);
};
void InstallHeap(const HeapFunctions& heap);

// The program's constant-data region (its literal texts, byte sets and
// initial arrays).
void SetConstantRegion(const void* begin, size_t length);
bool InConstantRegion(const void* pointer);

// Entry 6: a new block; on failure "分配 %d 字节内存失败!" ends the program.
void* Allocate(uint32_t size);
// Entry 6 for callers that clear the block themselves anyway.
void* AllocateZeroed(uint32_t size);
// Entry 7: null allocates; constant data is copied up to min(size, region
// end); otherwise the block is resized. Failure ends the program as above.
void* Resize(void* block, uint32_t size);
// The allocation failure report: "分配 %d 字节内存失败!" with the size.
[[noreturn]] void ReportAllocationFailure(uint32_t size);

// Entry 8: null and constant data are ignored.
void Free(void* block);

}  // namespace rt
