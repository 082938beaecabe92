#include "runtime/form_record.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "runtime/byte_reader.h"
#include "runtime/byte_writer.h"

namespace rt {

namespace {

constexpr uint32_t kNoHandler = 0xFFFFFFFF;

uint32_t Relocated(uint32_t handler, uint64_t base, uint32_t entrySize) {
    if (handler == kNoHandler) return 0;
    return NarrowToSlot(base + uint64_t(HandlerIndexOf(handler)) * entrySize, "event handler entry");
}

std::string_view UpToNul(std::string_view text) {
    size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

ReadStatus FormRecord::SetUnitBuffer(uint32_t unitCount, const uint8_t* data, size_t size) {
    uint64_t tableEnd = uint64_t(unitCount) * 8;
    if (tableEnd > size || size > 0xFFFFFFFFu) return ReadStatus::kBadLayout;
    const uint64_t region = size - tableEnd;
    const uint8_t* records = data + tableEnd;

    std::vector<UnitLayout> layouts(unitCount);
    std::vector<std::pair<uint32_t, uint32_t>> extents(unitCount);  // offset, end
    for (uint32_t i = 0; i < unitCount; ++i) {
        uint32_t offset = LoadU32(data + 4 * (uint64_t(unitCount) + i));
        if (uint64_t(offset) + 4 > region) return ReadStatus::kBadLayout;
        uint32_t unitSize = LoadU32(records + offset);
        uint64_t end = uint64_t(offset) + 4 + unitSize;
        if (end > region) return ReadStatus::kBadLayout;
        uint32_t unitId = LoadU32(data + 4 * uint64_t(i));
        ReadStatus status = WalkUnit(records + offset + 4, unitSize, IsMenuItemUnitId(unitId), &layouts[i]);
        if (status != ReadStatus::kOk) return status;
        extents[i] = {offset, static_cast<uint32_t>(end)};
    }
    // Records and tables must add up to the buffer: no gaps, no overlaps.
    std::sort(extents.begin(), extents.end());
    uint64_t expected = 0;
    for (const auto& [offset, end] : extents) {
        if (offset != expected) return ReadStatus::kBadLayout;
        expected = end;
    }
    if (expected != region) return ReadStatus::kBadLayout;

    unitCount_ = unitCount;
    buffer_.assign(data, data + size);
    layouts_ = std::move(layouts);
    return ReadStatus::kOk;
}

ReadStatus FormRecord::SetUnits(const std::vector<UnitFields>& units) {
    for (const UnitFields& unit : units) {
        for (std::string_view text : {unit.name, unit.secondName, unit.tag, unit.caption}) {
            if (text.find('\0') != std::string_view::npos) return ReadStatus::kBadLayout;
        }
    }
    std::vector<std::vector<uint8_t>> records;
    records.reserve(units.size());
    for (const UnitFields& unit : units) records.push_back(EncodeUnit(unit));
    ByteWriter out;
    for (const UnitFields& unit : units) out.PutU32(unit.id);
    uint32_t offset = 0;
    for (const auto& record : records) {
        out.PutU32(offset);
        offset += 4 + static_cast<uint32_t>(record.size());
    }
    for (const auto& record : records) out.PutCounted(record);
    const std::vector<uint8_t>& bytes = out.Bytes();
    return SetUnitBuffer(static_cast<uint32_t>(units.size()), bytes.data(), bytes.size());
}

uint32_t FormRecord::UnitId(uint32_t index) const { return LoadU32(buffer_.data() + 4 * index); }

uint32_t FormRecord::OffsetEntry(uint32_t index) const {
    return LoadU32(buffer_.data() + 4 * (unitCount_ + index));
}

int FormRecord::FindUnit(uint32_t unitId) const {
    if (unitCount_ == 0) return -1;
    if (unitId == 0 || UnitId(0) == unitId) return 0;
    for (uint32_t i = 1; i < unitCount_; ++i) {
        if (UnitId(i) == unitId) return static_cast<int>(i);
    }
    return -1;
}

UnitRecord FormRecord::Unit(uint32_t index) const {
    return UnitRecord(UnitId(index), buffer_.data() + RecordStart(index) + 4, layouts_[index]);
}

bool FormRecord::SetPlaceWord(uint32_t index, uint32_t offsetFromObjectSlot, uint32_t value) {
    if (index >= unitCount_ || layouts_[index].menuItem) return false;
    StoreU32(UnitData(index) + layouts_[index].objectSlotOffset + offsetFromObjectSlot, value);
    return true;
}

bool FormRecord::SetFlags(uint32_t index, uint32_t flags) {
    if (index >= unitCount_ || layouts_[index].menuItem) return false;
    StoreU32(UnitData(index) + layouts_[index].reservedAfterTagOffset + 4, flags);
    return true;
}

bool FormRecord::SetFlag(uint32_t index, uint32_t bit, bool on) {
    if (index >= unitCount_ || layouts_[index].menuItem) return false;
    uint32_t flags = Unit(index).Flags();
    return SetFlags(index, on ? flags | bit : flags & ~bit);
}

bool FormRecord::SetMenuFlags(uint32_t index, uint32_t flags) {
    if (index >= unitCount_ || !layouts_[index].menuItem) return false;
    StoreU32(UnitData(index) + layouts_[index].menuWordsOffset + 8, flags);
    return true;
}

bool FormRecord::ReplaceTag(uint32_t index, std::string_view tag) {
    if (index >= unitCount_ || layouts_[index].menuItem) return false;
    tag = UpToNul(tag);
    const UnitLayout& layout = layouts_[index];
    Splice(index, layout.tagOffset, layout.tagLength, reinterpret_cast<const uint8_t*>(tag.data()),
           static_cast<uint32_t>(tag.size()));
    return true;
}

bool FormRecord::ReplaceMenuCaption(uint32_t index, std::string_view caption) {
    if (index >= unitCount_ || !layouts_[index].menuItem) return false;
    caption = UpToNul(caption);
    const UnitLayout& layout = layouts_[index];
    Splice(index, layout.captionOffset, layout.captionLength, reinterpret_cast<const uint8_t*>(caption.data()),
           static_cast<uint32_t>(caption.size()));
    return true;
}

bool FormRecord::ReplaceMousePointer(uint32_t index, std::span<const uint8_t> data) {
    if (index >= unitCount_ || layouts_[index].menuItem) return false;
    ByteWriter field(4 + data.size());
    field.PutCounted(data.data(), data.size());
    const UnitLayout& layout = layouts_[index];
    Splice(index, layout.mousePointerOffset - 4, 4 + layout.mousePointerLength, field.Bytes().data(),
           static_cast<uint32_t>(field.Size()));
    return true;
}

void FormRecord::Splice(uint32_t index, uint32_t fieldOffset, uint32_t oldLength, const uint8_t* bytes,
                        uint32_t newLength) {
    const uint32_t start = RecordStart(index);
    const uint32_t oldSize = layouts_[index].size;
    const uint32_t newSize = oldSize - oldLength + newLength;
    const int64_t delta = int64_t(newLength) - int64_t(oldLength);
    const size_t fieldAt = size_t(start) + 4 + fieldOffset;

    std::vector<uint8_t> rebuilt;
    rebuilt.reserve(buffer_.size() + newLength - oldLength);
    rebuilt.insert(rebuilt.end(), buffer_.begin(), buffer_.begin() + fieldAt);
    rebuilt.insert(rebuilt.end(), bytes, bytes + newLength);
    rebuilt.insert(rebuilt.end(), buffer_.begin() + fieldAt + oldLength, buffer_.end());
    buffer_ = std::move(rebuilt);

    StoreU32(buffer_.data() + start, newSize);
    const uint32_t ownOffset = OffsetEntry(index);
    for (uint32_t j = 0; j < unitCount_; ++j) {
        uint32_t offset = OffsetEntry(j);
        if (offset > ownOffset) StoreU32(buffer_.data() + 4 * (unitCount_ + j), uint32_t(int64_t(offset) + delta));
    }
    // The new field is well formed, so the walk cannot fail.
    WalkUnit(UnitData(index), newSize, layouts_[index].menuItem, &layouts_[index]);
}

void FormRecord::RelocateHandlers(uint64_t base, uint32_t entrySize) {
    for (uint32_t i = 0; i < unitCount_; ++i) {
        uint8_t* data = UnitData(i);
        const UnitLayout& layout = layouts_[i];
        if (layout.menuItem) {
            uint8_t* word = data + layout.clickHandlerOffset;
            StoreU32(word, Relocated(LoadU32(word), base, entrySize));
            continue;
        }
        for (uint32_t e = 0; e < layout.eventCount; ++e) {
            uint8_t* word = data + layout.eventsOffset + 8 * e + 4;
            StoreU32(word, Relocated(LoadU32(word), base, entrySize));
        }
    }
}

}  // namespace rt
