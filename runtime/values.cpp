#include "runtime/values.h"

#include <cstring>

#include "runtime/runtime_error.h"
#include "runtime/runtime_memory.h"

namespace rt {
namespace {

constexpr int kErrorSubscriptTooLarge = 1;
constexpr int kErrorWrongSubscriptCount = 3;
constexpr int kErrorSubscriptBelowOne = 4;
constexpr int kErrorBadDimension = 10;

uint32_t HeaderSize(uint32_t dimensions) { return 4 + 4 * dimensions; }

uint32_t ReadWord(const void* p) { uint32_t w; std::memcpy(&w, p, 4); return w; }
void WriteWord(void* p, uint32_t w) { std::memcpy(p, &w, 4); }

uint32_t DimensionSize(const void* array, uint32_t index) {
    return ReadWord(static_cast<const uint8_t*>(array) + 4 + 4 * index);
}

// Element count, refusing products that do not fit a 32-bit block.
uint32_t CheckedProduct(const uint32_t* sizes, uint32_t dimensions, uint32_t elementSize) {
    uint64_t product = 1;
    for (uint32_t i = 0; i < dimensions; ++i) {
        product *= sizes[i];
        uint64_t bytes = product * (elementSize ? elementSize : 1) + HeaderSize(dimensions);
        if (bytes > 0x7FFFFFF0u) ReportAllocationFailure(static_cast<uint32_t>(bytes));
    }
    return static_cast<uint32_t>(product);
}

}  // namespace

char* CopyText(const char* text) { return CopyText(std::string_view(text ? text : "")); }

char* CopyText(std::string_view text) {
    if (text.empty()) return nullptr;
    auto copy = static_cast<char*>(Allocate(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

void AssignText(char** slot, const char* text) {
    char* copy = CopyText(text);
    Free(*slot);
    *slot = copy;
}

uint8_t* CopyBytes(const void* bytes, size_t length) {
    if (!bytes || length == 0) return nullptr;
    auto block = static_cast<uint8_t*>(Allocate(static_cast<uint32_t>(length + kByteSetHeader)));
    WriteWord(block, 1);
    WriteWord(block + 4, static_cast<uint32_t>(length));
    std::memcpy(block + kByteSetHeader, bytes, length);
    return block;
}

uint32_t ArrayElementSize(uint32_t elementType) {
    elementType = ElementTypeOf(elementType);
    if (elementType == kTypeText || elementType == kTypeByteSet) return sizeof(void*);
    if (!IsBasicType(elementType)) return 8;  // component reference: form id, unit id
    return BasicValueWidth(elementType);
}

void* CreateArray(uint32_t elementSize, const uint32_t* sizes, uint32_t dimensions) {
    uint32_t count = CheckedProduct(sizes, dimensions, elementSize);
    uint32_t total = HeaderSize(dimensions) + count * elementSize;
    auto block = static_cast<uint8_t*>(AllocateZeroed(total));
    WriteWord(block, dimensions);
    for (uint32_t i = 0; i < dimensions; ++i) WriteWord(block + 4 + 4 * i, sizes[i]);
    return block;
}

uint32_t ArrayDimensions(const void* array) { return array ? ReadWord(array) : 0; }

uint32_t ArrayElementCount(const void* array, uint8_t** firstElement) {
    if (firstElement) *firstElement = nullptr;
    uint32_t dimensions = ArrayDimensions(array);
    if (dimensions == 0) return 0;
    uint32_t count = 1;
    for (uint32_t i = 0; i < dimensions; ++i) count *= DimensionSize(array, i);
    if (firstElement) {
        *firstElement = const_cast<uint8_t*>(static_cast<const uint8_t*>(array)) + HeaderSize(dimensions);
    }
    return count;
}

uint8_t* ArrayElementAddress(void* array, uint32_t elementSize, int32_t subscript, uint32_t subroutineId,
                             uint32_t statement) {
    uint8_t* first = nullptr;
    uint32_t count = ArrayElementCount(array, &first);
    int64_t index = static_cast<int64_t>(subscript) - 1;
    if (index < 0) ReportRuntimeErrorCode(kErrorSubscriptBelowOne, subroutineId, statement);
    if (index >= count) ReportRuntimeErrorCode(kErrorSubscriptTooLarge, subroutineId, statement);
    return first + static_cast<uint32_t>(index) * elementSize;
}

uint8_t* ArrayElementAddressN(void* array, uint32_t elementSize, const int32_t* subscripts, uint32_t count,
                              uint32_t subroutineId, uint32_t statement) {
    if (count == 1) return ArrayElementAddress(array, elementSize, subscripts[0], subroutineId, statement);
    uint32_t dimensions = ArrayDimensions(array);
    if (count != dimensions) ReportRuntimeErrorCode(kErrorWrongSubscriptCount, subroutineId, statement);
    uint32_t offset = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t size = DimensionSize(array, i);
        if (subscripts[i] < 1) ReportRuntimeErrorCode(kErrorSubscriptBelowOne, subroutineId, statement);
        if (static_cast<uint32_t>(subscripts[i]) > size)
            ReportRuntimeErrorCode(kErrorSubscriptTooLarge, subroutineId, statement);
        offset = offset * size + static_cast<uint32_t>(subscripts[i] - 1);
    }
    return static_cast<uint8_t*>(array) + HeaderSize(dimensions) + offset * elementSize;
}

void RedefineArray(void** arraySlot, uint32_t elementSize, const int32_t* sizes, uint32_t dimensions, bool preserve,
                   uint32_t subroutineId, uint32_t statement) {
    if (dimensions == 0) ReportRuntimeErrorCode(kErrorBadDimension, subroutineId, statement);
    uint32_t checked[64];
    if (dimensions > 64) ReportRuntimeErrorCode(kErrorBadDimension, subroutineId, statement);
    for (uint32_t i = 0; i < dimensions; ++i) {
        bool allowed = dimensions == 1 ? sizes[i] >= 0 : sizes[i] > 0;
        if (!allowed) ReportRuntimeErrorCode(kErrorBadDimension, subroutineId, statement);
        checked[i] = static_cast<uint32_t>(sizes[i]);
    }
    void* fresh = CreateArray(elementSize, checked, dimensions);
    if (preserve) {
        uint8_t* oldFirst = nullptr;
        uint8_t* newFirst = nullptr;
        uint32_t oldCount = ArrayElementCount(*arraySlot, &oldFirst);
        uint32_t newCount = ArrayElementCount(fresh, &newFirst);
        uint32_t kept = oldCount < newCount ? oldCount : newCount;
        if (kept) std::memcpy(newFirst, oldFirst, static_cast<size_t>(kept) * elementSize);
    }
    Free(*arraySlot);
    *arraySlot = fresh;
}

void MakeArrayWritable(uint32_t elementSize, void** arraySlot) {
    if (!arraySlot || !InConstantRegion(*arraySlot)) return;
    uint32_t dimensions = ArrayDimensions(*arraySlot);
    uint32_t total = HeaderSize(dimensions) + ArrayElementCount(*arraySlot) * elementSize;
    void* copy = Allocate(total);
    std::memcpy(copy, *arraySlot, total);
    *arraySlot = copy;
}

void AppendArrayElement(void** arraySlot, uint32_t elementSize, const void* element) {
    MakeArrayWritable(elementSize, arraySlot);
    uint8_t* first = nullptr;
    uint32_t count = ArrayElementCount(*arraySlot, &first);
    uint32_t newCount = count + 1;
    auto fresh = static_cast<uint8_t*>(CreateArray1(elementSize, newCount));
    if (count) std::memcpy(fresh + 8, first, static_cast<size_t>(count) * elementSize);
    std::memcpy(fresh + 8 + static_cast<size_t>(count) * elementSize, element, elementSize);
    Free(*arraySlot);
    *arraySlot = fresh;
}

void FreePointerArray(void* array) {
    if (!array) return;
    if (!InConstantRegion(array)) {
        uint8_t* first = nullptr;
        uint32_t count = ArrayElementCount(array, &first);
        for (uint32_t i = 0; i < count; ++i) {
            void* element;
            std::memcpy(&element, first + static_cast<size_t>(i) * sizeof(void*), sizeof element);
            Free(element);
        }
    }
    Free(array);
}

}  // namespace rt
