#include "runtime/unit_fields.h"

#include "runtime/byte_writer.h"

namespace rt {

std::vector<uint8_t> EncodeUnit(const UnitFields& unit) {
    ByteWriter out(128 + unit.ownData.size() + unit.mousePointer.size());
    out.PutU32(unit.typeReference);
    out.PutU32(unit.eventSource);
    for (uint32_t word : unit.reserved) out.PutU32(word);
    out.PutZeroTerminated(unit.name);
    out.PutZeroTerminated(unit.secondName);
    if (unit.IsMenuItem()) {
        for (uint32_t word : unit.menuWords) out.PutU32(word);
        out.PutU32(unit.menuFlags);
        out.PutZeroTerminated(unit.caption);
        out.PutU32(unit.clickHandler);
        return out.Take();
    }
    out.PutU32(unit.objectSlot);
    out.PutU32(uint32_t(unit.left));
    out.PutU32(uint32_t(unit.top));
    out.PutU32(uint32_t(unit.width));
    out.PutU32(uint32_t(unit.height));
    out.PutU32(unit.cursorSlot);
    out.PutU32(unit.parent);
    out.PutU32(static_cast<uint32_t>(unit.children.size()));
    for (uint32_t child : unit.children) out.PutU32(child);
    out.PutCounted(unit.mousePointer);
    out.PutZeroTerminated(unit.tag);
    out.PutU32(unit.reservedAfterTag);
    out.PutU32(unit.flags);
    out.PutU32(uint32_t(unit.tabOrder));
    out.PutU32(static_cast<uint32_t>(unit.events.size()));
    for (const EventBinding& binding : unit.events) {
        out.PutU32(uint32_t(binding.eventNumber));
        out.PutU32(binding.handler);
    }
    for (uint32_t word : unit.reservedAfterEvents) out.PutU32(word);
    out.PutBytes(unit.ownData);
    return out.Take();
}

UnitFields DecodeUnit(const UnitRecord& record) {
    UnitFields unit;
    unit.id = record.Id();
    unit.typeReference = record.TypeReference();
    unit.eventSource = record.EventSource();
    for (int i = 0; i < 4; ++i) unit.reserved[i] = record.Reserved(i);
    unit.name = std::string(record.Name());
    unit.secondName = std::string(record.SecondName());
    if (record.IsMenuItem()) {
        unit.menuWords = {record.MenuWord(0), record.MenuWord(1)};
        unit.menuFlags = record.MenuFlags();
        unit.caption = std::string(record.Caption());
        unit.clickHandler = record.ClickHandler();
        return unit;
    }
    unit.objectSlot = record.ObjectSlot();
    unit.left = record.Left();
    unit.top = record.Top();
    unit.width = record.Width();
    unit.height = record.Height();
    unit.cursorSlot = record.CursorSlot();
    unit.parent = record.Parent();
    for (uint32_t i = 0; i < record.ChildCount(); ++i) unit.children.push_back(record.Child(i));
    auto pointer = record.MousePointer();
    unit.mousePointer.assign(pointer.begin(), pointer.end());
    unit.tag = std::string(record.Tag());
    unit.reservedAfterTag = record.ReservedAfterTag();
    unit.flags = record.Flags();
    unit.tabOrder = record.TabOrder();
    for (uint32_t i = 0; i < record.EventCount(); ++i) unit.events.push_back(record.Event(i));
    for (int i = 0; i < 5; ++i) unit.reservedAfterEvents[i] = record.ReservedAfterEvents(i);
    auto own = record.OwnData();
    unit.ownData.assign(own.begin(), own.end());
    return unit;
}

}  // namespace rt
