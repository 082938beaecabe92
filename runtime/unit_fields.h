// A unit of the window template as plain values: what tools and tests build
// templates from, and what a walked record decodes into. EncodeUnit gives
// the unit data (without the size word) in the stored layout.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/read_status.h"
#include "runtime/unit_record.h"

namespace rt {

struct UnitFields {
    uint32_t id = 0;  // sub-kind 2 makes it a menu item with the short record
    uint32_t typeReference = 0;
    uint32_t eventSource = 0;
    std::array<uint32_t, 4> reserved{};
    std::string name;        // GBK, no NUL
    std::string secondName;  // GBK, no NUL

    // Window and components.
    uint32_t objectSlot = 0;
    int32_t left = 0, top = 0, width = 0, height = 0;
    uint32_t cursorSlot = 0;
    uint32_t parent = 0;
    std::vector<uint32_t> children;  // 0 separates pages
    std::vector<uint8_t> mousePointer;
    std::string tag;
    uint32_t reservedAfterTag = 0;
    uint32_t flags = 0;
    int32_t tabOrder = 0;
    std::vector<EventBinding> events;
    std::array<uint32_t, 5> reservedAfterEvents{};
    std::vector<uint8_t> ownData;

    // Menu items.
    std::array<uint32_t, 2> menuWords{};
    uint32_t menuFlags = 0;
    std::string caption;
    uint32_t clickHandler = 0xFFFFFFFF;

    bool IsMenuItem() const { return IsMenuItemUnitId(id); }
};

std::vector<uint8_t> EncodeUnit(const UnitFields& unit);
UnitFields DecodeUnit(const UnitRecord& record);

}  // namespace rt
