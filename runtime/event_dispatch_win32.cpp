// Event dispatch: finds the handler the template binds to an event and calls it.
#include <cstring>

#include "runtime/entry_points.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/template_slot.h"

namespace rt {
namespace {

uint32_t g_sourceForm = 0;
uint32_t g_sourceUnit = 0;

int64_t CallHandler(uintptr_t handlerWord, const uint32_t* words, int count) {
    // A relocated handler word addresses the program's entry for that handler.
    auto handler = *reinterpret_cast<const EventHandler*>(handlerWord);
    return handler ? handler(words, count) : 0;
}

// The words a full record's arguments are pushed as, first argument first.
int PushWords(const FullEventCall& call, uint32_t* words) {
    int count = 0;
    uint32_t arguments = call.argumentCount > 12 ? 12 : call.argumentCount;
    for (uint32_t i = 0; i < arguments; ++i) {
        const FullEventArgument& argument = call.arguments[i];
        const ValueRecord& value = argument.value;
        uint32_t low = PayloadLow(value), high = PayloadHigh(value);
        bool menuItemReference = !IsBasicType(value.type) && IdSubKind(high) == kUnitMenuItem;
        if (argument.flags & kArgumentByReference) {
            words[count++] = PointerToSlot(&value, "by-reference event argument");
        } else if ((argument.flags & kArgumentArray) || menuItemReference) {
            words[count++] = low;
            words[count++] = high;
        } else if (value.type == kTypeByte) {
            words[count++] = AsByte(value);
        } else if (value.type == kTypeShort) {
            words[count++] = static_cast<uint32_t>(static_cast<int32_t>(AsShort(value)));
        } else if (value.type == kTypeDateTime || value.type == kTypeLong || value.type == kTypeDouble ||
                   value.type == kTypeSystemValue8) {
            words[count++] = low;
            words[count++] = high;
        } else {
            words[count++] = low;
        }
    }
    return count;
}

}  // namespace

uintptr_t FindEventHandler(uint32_t formId, uint32_t unitId, int32_t eventNumber) {
    if (EventSuppressionDepth() >= 1) return 0;
    Form* form = FindForm(formId);
    if (!form) ReportRuntimeError("未找到引发事件的窗口", 0, formId, unitId);
    int index = form->units.FindUnit(unitId);
    if (index < 0) ReportRuntimeError("未找到引发事件的窗口组件", 0, formId, unitId);
    UnitRecord unit = form->units.Unit(static_cast<uint32_t>(index));
    uint32_t sourceUnitId = unit.Id();

    // Follow the event-source chain through units of the same type.
    UnitRecord bound = unit;
    for (uint32_t steps = 0; steps < form->units.UnitCount(); ++steps) {
        uint32_t source = bound.EventSource();
        if (source == 0 || source == bound.Id()) break;
        int sourceIndex = form->units.FindUnit(source);
        if (sourceIndex < 0) break;
        UnitRecord next = form->units.Unit(static_cast<uint32_t>(sourceIndex));
        if (next.TypeReference() != bound.TypeReference()) break;
        bound = next;
    }

    const ComponentType* type = FindComponentType(bound.TypeReference());
    if (!type || !(type->flags & (kTypeFlagCanRaiseEvents | kTypeFlagCanRaiseEventsToo)))
        ReportRuntimeError("引发事件的窗口组件无效", 0, formId, unitId);

    uint32_t handler = 0;
    if (bound.IsMenuItem()) {
        handler = bound.ClickHandler();
    } else if (!bound.FindEventHandler(eventNumber, &handler)) {
        return 0;
    }
    if (handler == 0 || handler == 0xFFFFFFFFu) return 0;
    g_sourceForm = formId;
    g_sourceUnit = sourceUnitId;
    return handler;
}

int RaiseEvent(ShortEventCall& call, bool wantResult) {
    uintptr_t handler = FindEventHandler(call.formId, call.unitId, call.eventNumber);
    if (!handler) return 0;
    int count = static_cast<int>(call.argumentCount > 5 ? 5 : call.argumentCount);
    int64_t result = CallHandler(handler, call.arguments, count);
    g_sourceForm = 0;
    g_sourceUnit = 0;
    if (wantResult) {
        call.hasResult = 1;
        call.result = static_cast<uint32_t>(result);
    }
    return 1;
}

int RaiseEvent(FullEventCall& call, bool wantResult) {
    uintptr_t handler = FindEventHandler(call.formId, call.unitId, call.eventNumber);
    if (!handler) return 0;
    uint32_t words[24];
    int count = PushWords(call, words);
    int64_t result = CallHandler(handler, words, count);
    g_sourceForm = 0;
    g_sourceUnit = 0;
    if (wantResult) {
        call.hasResult = 1;
        std::memcpy(call.result, &result, 8);
    }
    return 1;
}

bool RaiseComponentEvent(uint32_t formId, uint32_t unitId, int32_t eventNumber,
                         std::initializer_list<uint32_t> arguments, int64_t* result) {
    uintptr_t handler = FindEventHandler(formId, unitId, eventNumber);
    if (!handler) return false;
    uint32_t words[12] = {};
    int count = 0;
    for (uint32_t argument : arguments)
        if (count < 12) words[count++] = argument;
    int64_t value = CallHandler(handler, words, count);
    g_sourceForm = 0;
    g_sourceUnit = 0;
    if (result) *result = value;
    return true;
}

uint32_t EventSourceForm() { return g_sourceForm; }
uint32_t EventSourceUnit() { return g_sourceUnit; }

}  // namespace rt
