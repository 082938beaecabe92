// Component types made for testing the form loader: a top-level window, a
// plain child with two own properties, a never-shown type and a paged
// container. They record what happens to them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/support_library.h"
#include "runtime/type_references.h"

namespace rt::testing {

constexpr uint32_t kChildType = 0x00010002;
constexpr uint32_t kHiddenType = 0x00010003;
constexpr uint32_t kPagedType = 0x00010004;
constexpr uint32_t kSilentType = 0x00010005;  // raises no events

struct Creation {
    uint32_t unitId;
    int controlId;
    uint32_t style;
    HWND window;
};

// Every create call in order.
std::vector<Creation>& Creations();
// The library record holding the five types (library 1).
const rt::SupportLibrary* TestLibrary();
// The test window type's interface function (a plain top-level window).
void* TestWindowInterface(int request);
// A child raises this event from its create function (to show that loading suppresses handlers).
void RaiseEventWhileCreating(bool enabled);

}  // namespace rt::testing
