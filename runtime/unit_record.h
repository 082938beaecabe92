// One unit (the window, a component or a menu item) of a form in the window
// template: the walker that locates its fields and a read-only view of them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "runtime/read_status.h"
#include "runtime/value_record.h"

namespace rt {

// Bits of a unit's flags word.
constexpr uint32_t kUnitFlagVisible = 0x1;
constexpr uint32_t kUnitFlagDisabled = 0x2;
constexpr uint32_t kUnitFlagTabStop = 0x4;

// The record shape follows the id: menu items carry the short record.
constexpr bool IsMenuItemUnitId(uint32_t unitId) { return IdSubKind(unitId) == kUnitMenuItem; }

// Byte positions of the fields inside a unit's data (the S bytes after its
// size word). Only the positions that depend on earlier variable fields are
// kept; fixed ones are constants of UnitRecord.
struct UnitLayout {
    bool menuItem = false;
    uint32_t size = 0;
    uint32_t nameOffset = 0, nameLength = 0;
    uint32_t secondNameOffset = 0, secondNameLength = 0;
    // Full record.
    uint32_t objectSlotOffset = 0;  // object slot, left, top, width, height, cursor slot, parent, K
    uint32_t childCount = 0;
    uint32_t mousePointerOffset = 0, mousePointerLength = 0;  // the data after M
    uint32_t tagOffset = 0, tagLength = 0;
    uint32_t reservedAfterTagOffset = 0;  // then flags, tab order, E
    uint32_t eventCount = 0;
    uint32_t eventsOffset = 0;
    uint32_t ownDataOffset = 0, ownDataLength = 0;
    // Menu item.
    uint32_t menuWordsOffset = 0;  // two words, then the flags word
    uint32_t captionOffset = 0, captionLength = 0;
    uint32_t clickHandlerOffset = 0;
};

// Locates every field by skipping forward from the start of the unit data.
// Fails when a field runs past `size`, or when a menu item has bytes after
// its click-handler word.
ReadStatus WalkUnit(const uint8_t* data, uint32_t size, bool menuItem, UnitLayout* layout);

struct EventBinding {
    int32_t eventNumber;
    uint32_t handler;  // -1 (or 0 after relocation): no handler
};

// A view of a walked unit; valid while the buffer it points into is unchanged.
class UnitRecord {
public:
    static constexpr uint32_t kTypeReferenceOffset = 0;
    static constexpr uint32_t kEventSourceOffset = 4;
    static constexpr uint32_t kReservedOffset = 8;  // four words
    static constexpr uint32_t kNameOffset = 24;

    UnitRecord(uint32_t id, const uint8_t* data, const UnitLayout& layout)
        : id_(id), data_(data), layout_(&layout) {}

    uint32_t Id() const { return id_; }
    bool IsMenuItem() const { return layout_->menuItem; }
    const UnitLayout& Layout() const { return *layout_; }
    std::span<const uint8_t> Data() const { return {data_, layout_->size}; }
    uint32_t WordAt(uint32_t offset) const;

    uint32_t TypeReference() const { return WordAt(kTypeReferenceOffset); }
    uint32_t EventSource() const { return WordAt(kEventSourceOffset); }
    uint32_t Reserved(int index) const { return WordAt(kReservedOffset + 4 * index); }
    std::string_view Name() const { return Text(layout_->nameOffset, layout_->nameLength); }
    std::string_view SecondName() const { return Text(layout_->secondNameOffset, layout_->secondNameLength); }

    // Full record only.
    uint32_t ObjectSlot() const { return WordAt(layout_->objectSlotOffset); }
    int32_t Left() const { return int32_t(WordAt(layout_->objectSlotOffset + 4)); }
    int32_t Top() const { return int32_t(WordAt(layout_->objectSlotOffset + 8)); }
    int32_t Width() const { return int32_t(WordAt(layout_->objectSlotOffset + 12)); }
    int32_t Height() const { return int32_t(WordAt(layout_->objectSlotOffset + 16)); }
    uint32_t CursorSlot() const { return WordAt(layout_->objectSlotOffset + 20); }
    uint32_t Parent() const { return WordAt(layout_->objectSlotOffset + 24); }
    uint32_t ChildCount() const { return layout_->childCount; }
    // A child id; 0 separates the pages of a paged container.
    uint32_t Child(uint32_t index) const { return WordAt(layout_->objectSlotOffset + 32 + 4 * index); }
    std::span<const uint8_t> MousePointer() const {
        return {data_ + layout_->mousePointerOffset, layout_->mousePointerLength};
    }
    std::string_view Tag() const { return Text(layout_->tagOffset, layout_->tagLength); }
    uint32_t ReservedAfterTag() const { return WordAt(layout_->reservedAfterTagOffset); }
    uint32_t Flags() const { return WordAt(layout_->reservedAfterTagOffset + 4); }
    bool Visible() const { return (Flags() & kUnitFlagVisible) != 0; }
    bool Disabled() const { return (Flags() & kUnitFlagDisabled) != 0; }
    bool TabStop() const { return (Flags() & kUnitFlagTabStop) != 0; }
    int32_t TabOrder() const { return int32_t(WordAt(layout_->reservedAfterTagOffset + 8)); }
    uint32_t EventCount() const { return layout_->eventCount; }
    EventBinding Event(uint32_t index) const {
        uint32_t at = layout_->eventsOffset + 8 * index;
        return {int32_t(WordAt(at)), WordAt(at + 4)};
    }
    // The handler word of the first binding for the event; false when none.
    bool FindEventHandler(int32_t eventNumber, uint32_t* handler) const;
    uint32_t ReservedAfterEvents(int index) const {
        return WordAt(layout_->eventsOffset + 8 * layout_->eventCount + 4 * index);
    }
    std::span<const uint8_t> OwnData() const { return {data_ + layout_->ownDataOffset, layout_->ownDataLength}; }

    // Menu items only.
    uint32_t MenuWord(int index) const { return WordAt(layout_->menuWordsOffset + 4 * index); }
    uint32_t MenuFlags() const { return WordAt(layout_->menuWordsOffset + 8); }
    std::string_view Caption() const { return Text(layout_->captionOffset, layout_->captionLength); }
    uint32_t ClickHandler() const { return WordAt(layout_->clickHandlerOffset); }

private:
    std::string_view Text(uint32_t offset, uint32_t length) const {
        return {reinterpret_cast<const char*>(data_ + offset), length};
    }

    uint32_t id_;
    const uint8_t* data_;
    const UnitLayout* layout_;
};

}  // namespace rt
