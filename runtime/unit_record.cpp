#include "runtime/unit_record.h"

#include "runtime/byte_reader.h"

namespace rt {

namespace {

bool SkipZeroTerminated(ByteReader& reader, uint32_t* offset, uint32_t* length) {
    std::string_view text;
    *offset = static_cast<uint32_t>(reader.Position());
    if (!reader.ReadZeroTerminated(&text)) return false;
    *length = static_cast<uint32_t>(text.size());
    return true;
}

// Skips `count` items of `width` bytes; counts come from the data, so the
// product is checked in 64 bits before anything moves.
bool SkipItems(ByteReader& reader, uint32_t count, uint32_t width) {
    uint64_t bytes = uint64_t(count) * width;
    if (bytes > reader.Remaining()) return false;
    return reader.Skip(static_cast<size_t>(bytes));
}

ReadStatus WalkMenuItem(ByteReader& reader, UnitLayout* layout) {
    layout->menuWordsOffset = static_cast<uint32_t>(reader.Position());
    if (!reader.Skip(12)) return ReadStatus::kTruncated;
    if (!SkipZeroTerminated(reader, &layout->captionOffset, &layout->captionLength)) return ReadStatus::kTruncated;
    layout->clickHandlerOffset = static_cast<uint32_t>(reader.Position());
    if (!reader.Skip(4)) return ReadStatus::kTruncated;
    // The short record has nothing after the click word.
    return reader.AtEnd() ? ReadStatus::kOk : ReadStatus::kBadLayout;
}

}  // namespace

ReadStatus WalkUnit(const uint8_t* data, uint32_t size, bool menuItem, UnitLayout* out) {
    UnitLayout layout;
    layout.menuItem = menuItem;
    layout.size = size;
    ByteReader reader(data, size);
    if (!reader.Skip(UnitRecord::kNameOffset)) return ReadStatus::kTruncated;
    if (!SkipZeroTerminated(reader, &layout.nameOffset, &layout.nameLength)) return ReadStatus::kTruncated;
    if (!SkipZeroTerminated(reader, &layout.secondNameOffset, &layout.secondNameLength)) return ReadStatus::kTruncated;

    if (menuItem) {
        ReadStatus status = WalkMenuItem(reader, &layout);
        if (status == ReadStatus::kOk) *out = layout;
        return status;
    }

    layout.objectSlotOffset = static_cast<uint32_t>(reader.Position());
    if (!reader.Skip(28)) return ReadStatus::kTruncated;
    if (!reader.ReadU32(&layout.childCount)) return ReadStatus::kTruncated;
    if (!SkipItems(reader, layout.childCount, 4)) return ReadStatus::kTruncated;
    if (!reader.ReadU32(&layout.mousePointerLength)) return ReadStatus::kTruncated;
    layout.mousePointerOffset = static_cast<uint32_t>(reader.Position());
    if (!reader.Skip(layout.mousePointerLength)) return ReadStatus::kTruncated;
    if (!SkipZeroTerminated(reader, &layout.tagOffset, &layout.tagLength)) return ReadStatus::kTruncated;
    layout.reservedAfterTagOffset = static_cast<uint32_t>(reader.Position());
    if (!reader.Skip(12)) return ReadStatus::kTruncated;
    if (!reader.ReadU32(&layout.eventCount)) return ReadStatus::kTruncated;
    layout.eventsOffset = static_cast<uint32_t>(reader.Position());
    if (!SkipItems(reader, layout.eventCount, 8)) return ReadStatus::kTruncated;
    if (!reader.Skip(20)) return ReadStatus::kTruncated;
    layout.ownDataOffset = static_cast<uint32_t>(reader.Position());
    layout.ownDataLength = static_cast<uint32_t>(reader.Remaining());
    *out = layout;
    return ReadStatus::kOk;
}

uint32_t UnitRecord::WordAt(uint32_t offset) const { return LoadU32(data_ + offset); }

bool UnitRecord::FindEventHandler(int32_t eventNumber, uint32_t* handler) const {
    for (uint32_t i = 0; i < layout_->eventCount; ++i) {
        EventBinding binding = Event(i);
        if (binding.eventNumber == eventNumber) {
            *handler = binding.handler;
            return true;
        }
    }
    return false;
}

}  // namespace rt
