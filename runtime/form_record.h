// One form of the window template: its record words and texts, and its unit
// buffer kept as one block (C unit ids, C offsets, the unit records) exactly
// as stored, so that unit i is found in constant time and writing gives back
// the bytes that were read.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/read_status.h"
#include "runtime/template_slot.h"
#include "runtime/unit_fields.h"
#include "runtime/unit_record.h"

namespace rt {

class FormRecord {
public:
    uint32_t id = 0;
    uint32_t placeholder = 0;  // the form-table word after the ids; carried only
    uint32_t word1 = 0;
    uint32_t word2 = 0;
    std::string text1;
    std::string text2;

    // Takes a unit buffer after checking it: the tables fit, every record lies
    // inside the buffer and walks cleanly, and the records fill the space after
    // the tables exactly. On failure the form is unchanged.
    ReadStatus SetUnitBuffer(uint32_t unitCount, const uint8_t* data, size_t size);
    // Lays the units out in order (fails only for fields that cannot be
    // stored, such as a name holding a NUL byte).
    ReadStatus SetUnits(const std::vector<UnitFields>& units);

    uint32_t UnitCount() const { return unitCount_; }
    const std::vector<uint8_t>& UnitBuffer() const { return buffer_; }
    uint32_t UnitId(uint32_t index) const;
    // Index of the unit with this id, -1 when there is none; id 0 names the
    // window (unit 0).
    int FindUnit(uint32_t unitId) const;
    // Index must be below UnitCount().
    UnitRecord Unit(uint32_t index) const;

    // In-place writers for the fields the runtime changes. They return false
    // for an index out of range or a field the unit's record does not have.
    bool SetLeft(uint32_t index, int32_t value) { return SetPlaceWord(index, 4, uint32_t(value)); }
    bool SetTop(uint32_t index, int32_t value) { return SetPlaceWord(index, 8, uint32_t(value)); }
    bool SetWidth(uint32_t index, int32_t value) { return SetPlaceWord(index, 12, uint32_t(value)); }
    bool SetHeight(uint32_t index, int32_t value) { return SetPlaceWord(index, 16, uint32_t(value)); }
    bool SetObjectSlot(uint32_t index, uint32_t value) { return SetPlaceWord(index, 0, value); }
    bool SetCursorSlot(uint32_t index, uint32_t value) { return SetPlaceWord(index, 20, value); }
    bool SetFlags(uint32_t index, uint32_t flags);
    bool SetFlag(uint32_t index, uint32_t bit, bool on);
    // These change the record size: the unit and the offsets after it move,
    // and UnitRecord views taken before are no longer valid. A NUL byte ends
    // the text.
    bool ReplaceTag(uint32_t index, std::string_view tag);
    bool ReplaceMousePointer(uint32_t index, std::span<const uint8_t> data);
    bool ReplaceMenuCaption(uint32_t index, std::string_view caption);
    bool SetMenuFlags(uint32_t index, uint32_t flags);

    // Every handler word becomes 0 for -1, otherwise the address of its entry:
    // base + (offset / 4) * entrySize, the width of one entry of the running
    // build's handler table. Run once, right after reading.
    void RelocateHandlers(uint64_t base, uint32_t entrySize = kHandlerOffsetUnit);

private:
    uint32_t TableEnd() const { return 8 * unitCount_; }
    uint32_t OffsetEntry(uint32_t index) const;
    uint32_t RecordStart(uint32_t index) const { return TableEnd() + OffsetEntry(index); }
    uint8_t* UnitData(uint32_t index) { return buffer_.data() + RecordStart(index) + 4; }
    bool SetPlaceWord(uint32_t index, uint32_t offsetFromObjectSlot, uint32_t value);
    // Replaces bytes [fieldOffset, fieldOffset + oldLength) of the unit's data.
    void Splice(uint32_t index, uint32_t fieldOffset, uint32_t oldLength, const uint8_t* bytes, uint32_t newLength);

    uint32_t unitCount_ = 0;
    std::vector<uint8_t> buffer_;
    std::vector<UnitLayout> layouts_;
};

}  // namespace rt
