// Texts, byte sets and arrays in runtime memory.
//
// Text: NUL-terminated GBK bytes; the empty text is the null pointer.
// Byte set: {u32 1, u32 length, bytes}; the empty byte set is the null pointer.
// Array: {u32 D, u32 size[D], elements}; null or D = 0 holds no elements.
// Text and byte-set elements of an array are pointers owned by the array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/value_record.h"

namespace rt {

// --- texts -----------------------------------------------------------------
// A new text holding the bytes (null for an empty input).
char* CopyText(const char* text);
char* CopyText(std::string_view text);
inline uint32_t TextLength(const char* text) {
    uint32_t n = 0;
    if (text) while (text[n]) ++n;
    return n;
}
// Frees *slot and stores a copy of text (assigning a new text frees the old).
void AssignText(char** slot, const char* text);

// --- byte sets ---------------------------------------------------------------
constexpr uint32_t kByteSetHeader = 8;
// A new byte set holding the bytes (null for an empty input).
uint8_t* CopyBytes(const void* bytes, size_t length);
inline uint32_t ByteSetLength(const uint8_t* byteSet) {
    if (!byteSet) return 0;
    uint32_t n; std::memcpy(&n, byteSet + 4, 4); return n;
}
inline const uint8_t* ByteSetData(const uint8_t* byteSet) { return byteSet ? byteSet + kByteSetHeader : nullptr; }
inline uint8_t* ByteSetData(uint8_t* byteSet) { return byteSet ? byteSet + kByteSetHeader : nullptr; }
inline std::string_view ByteSetView(const uint8_t* byteSet) {
    return byteSet ? std::string_view(reinterpret_cast<const char*>(byteSet + kByteSetHeader), ByteSetLength(byteSet))
                   : std::string_view();
}

// --- arrays ------------------------------------------------------------------
// Element size of an array of the given element type; pointers for texts and
// byte sets, 8 for component references (form id, unit id).
uint32_t ArrayElementSize(uint32_t elementType);

// A new array block with the given dimension sizes, elements zeroed.
// Dimension sizes follow the redefinition rule (error 10 otherwise).
void* CreateArray(uint32_t elementSize, const uint32_t* sizes, uint32_t dimensions);
inline void* CreateArray1(uint32_t elementSize, uint32_t count) { return CreateArray(elementSize, &count, 1); }

uint32_t ArrayDimensions(const void* array);
// Product of the dimension sizes (0 for null or D = 0); *firstElement receives
// the address of the first element when given.
uint32_t ArrayElementCount(const void* array, uint8_t** firstElement = nullptr);

// Single-subscript access (1-based, storage order). Subscript < 1 reports
// error 4, beyond the count error 1, at (subroutine, statement).
uint8_t* ArrayElementAddress(void* array, uint32_t elementSize, int32_t subscript,
                             uint32_t subroutineId = 0, uint32_t statement = 0);
// Several subscripts: their count must be D (error 3 otherwise); each must be
// within its dimension (errors 4 and 1). Last subscript varies fastest.
uint8_t* ArrayElementAddressN(void* array, uint32_t elementSize, const int32_t* subscripts,
                              uint32_t count, uint32_t subroutineId = 0, uint32_t statement = 0);

// Redefine *arraySlot with new dimension sizes (error 10 when a size is not
// above zero, or below zero for a single dimension). With preserve, the
// elements in storage order are kept as far as they fit.
void RedefineArray(void** arraySlot, uint32_t elementSize, const int32_t* sizes, uint32_t dimensions,
                   bool preserve, uint32_t subroutineId = 0, uint32_t statement = 0);

// Service 2: if the array lies in constant data, copy header and elements to
// a new block and store it in *arraySlot.
void MakeArrayWritable(uint32_t elementSize, void** arraySlot);

// Appends one element (copied from `element`), growing a one-dimensional
// array; a null array becomes a one-element array.
void AppendArrayElement(void** arraySlot, uint32_t elementSize, const void* element);

// Frees every non-null pointer element, then the block.
void FreePointerArray(void* array);

}  // namespace rt
