// Properties by number: common properties 0-7 from the live window or the
// template record, own properties through the component type's functions.
#include <algorithm>
#include <cstring>

#include "runtime/entry_points.h"
#include "runtime/form_registry_win32.h"
#include "runtime/mouse_pointer.h"
#include "runtime/property_conversion.h"
#include "runtime/type_references.h"
#include "runtime/values.h"

namespace rt {
namespace {

constexpr int32_t kMaxCoordinate = 32627;

enum CommonProperty { kLeft, kTop, kWidth, kHeight, kTag, kVisible, kDisabled, kMousePointer };

struct UnitRef {
    Form* form;
    uint32_t index;
};

UnitRef LocateUnit(uint32_t formId, uint32_t unitId) {
    Form* form = FindForm(formId);
    if (!form) ReportRuntimeError("未载入欲访问窗口组件所在的窗口", 0, formId, unitId);
    int index = form->units.FindUnit(unitId);
    if (index < 0) ReportRuntimeError("指定窗口或窗口组件不存在或尚未载入", 0, formId, unitId);
    return {form, static_cast<uint32_t>(index)};
}

HWND LiveWindow(const UnitRef& unit) {
    if (!unit.form->Loaded()) return nullptr;
    ComponentObject* object = unit.form->Object(unit.index);
    HWND window = object ? object->Window() : nullptr;
    return window && IsWindow(window) ? window : nullptr;
}

RECT WindowPlace(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    HWND parent = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

uint32_t FlagBit(const UnitRecord& unit, uint32_t bit) { return (unit.Flags() & bit) ? 1 : 0; }

uint64_t ReadMenuItem(const UnitRecord& unit, int32_t number) {
    switch (number) {
    case 0: return PointerPayload(CopyText(unit.Caption()));
    case 1: return (unit.MenuFlags() >> 2) & 1;
    case 2: return (unit.MenuFlags() >> 1) & 1;
    case 3: return (unit.MenuFlags() & 1) ? 0 : 1;
    default: return 0;
    }
}

uint64_t ReadCommon(const UnitRef& ref, int32_t number) {
    UnitRecord unit = ref.form->units.Unit(ref.index);
    HWND window = LiveWindow(ref);
    switch (number) {
    case kLeft: return static_cast<uint32_t>(window ? WindowPlace(window).left : unit.Left());
    case kTop: return static_cast<uint32_t>(window ? WindowPlace(window).top : unit.Top());
    case kWidth: {
        if (!window) return static_cast<uint32_t>(unit.Width());
        RECT rect = WindowPlace(window);
        return static_cast<uint32_t>(rect.right - rect.left);
    }
    case kHeight: {
        if (!window) return static_cast<uint32_t>(unit.Height());
        RECT rect = WindowPlace(window);
        return static_cast<uint32_t>(rect.bottom - rect.top);
    }
    case kTag: return PointerPayload(CopyText(unit.Tag()));
    case kVisible: return window ? (IsWindowVisible(window) ? 1 : 0) : FlagBit(unit, kUnitFlagVisible);
    case kDisabled: return window ? (IsWindowEnabled(window) ? 0 : 1) : FlagBit(unit, kUnitFlagDisabled);
    case kMousePointer: {
        std::span<const uint8_t> data = unit.MousePointer();
        std::vector<uint8_t> program = MousePointerForProgram(data.data(), static_cast<uint32_t>(data.size()));
        return PointerPayload(CopyBytes(program.data(), program.size()));
    }
    default: return 0;
    }
}

uint32_t KindOf(const ComponentType* type, int ownIndex) {
    PropertyList list = PropertiesOfType(type);
    if (ownIndex < 0 || ownIndex >= list.count || !list.descriptors) return kPropertyInteger;
    return list.descriptors[ownIndex].kind;
}

uint64_t ReadOwn(const ComponentType* type, ComponentObject* object, int ownIndex, int32_t member) {
    auto get = reinterpret_cast<GetPropertyFunction>(TypeRequest(type, kRequestGetProperty));
    PropertyValue raw;
    if (!get || !get(object, ownIndex, &raw)) return 0;
    return ConvertForProgram(KindOf(type, ownIndex), raw, member);
}

// Returns the set function's answer: 1 asks for re-creation.
int WriteOwn(const ComponentType* type, ComponentObject* object, int ownIndex, int32_t member, uint64_t payload) {
    auto set = reinterpret_cast<SetPropertyFunction>(TypeRequest(type, kRequestSetProperty));
    if (!set) return 0;
    uint32_t kind = KindOf(type, ownIndex);
    PropertyValue current;
    if (member != -1) {
        auto get = reinterpret_cast<GetPropertyFunction>(TypeRequest(type, kRequestGetProperty));
        if (get) get(object, ownIndex, &current);
    }
    return set(object, ownIndex, ConvertFromProgram(kind, payload, member, current));
}

void WriteMenuItem(Form& form, uint32_t index, int32_t number, uint64_t payload) {
    UnitRecord unit = form.units.Unit(index);
    uint32_t flags = unit.MenuFlags();
    bool on = static_cast<uint32_t>(payload) != 0;
    bool changed = false;
    if (number == 0) {
        auto text = static_cast<const char*>(PayloadAddress(payload));
        std::string_view caption = text ? text : "";
        if (caption != unit.Caption()) changed = form.units.ReplaceMenuCaption(index, caption);
    } else if (number >= 1 && number <= 3) {
        uint32_t bit = number == 1 ? 0x4 : number == 2 ? 0x2 : 0x1;
        bool set = number == 3 ? !on : on;
        uint32_t updated = set ? (flags | bit) : (flags & ~bit);
        changed = updated != flags && form.units.SetMenuFlags(index, updated);
    }
    if (changed && form.Loaded() && form.menu) {
        HMENU old = GetMenu(form.window);
        SetMenu(form.window, nullptr);
        if (old) DestroyMenu(old);
        form.menu = BuildMenu(form.units);
        SetMenu(form.window, form.menu);
        DrawMenuBar(form.window);
    }
}

bool OnUnselectedTabPage(const Form& form, uint32_t index) {
    UnitRecord unit = form.units.Unit(index);
    int parentIndex = unit.Parent() ? form.units.FindUnit(unit.Parent()) : -1;
    if (parentIndex <= 0) return false;
    UnitRecord parent = form.units.Unit(static_cast<uint32_t>(parentIndex));
    if (parent.TypeReference() != kTabControlTypeReference) return false;
    ComponentObject* tabs = form.Object(static_cast<uint32_t>(parentIndex));
    int selected = tabs ? static_cast<int>(SendMessageW(tabs->Window(), 0x130B /* TCM_GETCURSEL */, 0, 0)) : 0;
    int page = 0;
    for (uint32_t i = 0; i < parent.ChildCount(); ++i) {
        uint32_t child = parent.Child(i);
        if (child == 0) ++page;
        else if (child == unit.Id()) return page != selected;
    }
    return false;
}

void WriteCommon(const UnitRef& ref, int32_t number, uint64_t payload) {
    Form& form = *ref.form;
    uint32_t index = ref.index;
    HWND window = LiveWindow(ref);
    auto word = static_cast<int32_t>(static_cast<uint32_t>(payload));
    switch (number) {
    case kLeft:
    case kTop: {
        int32_t value = std::clamp(word, -kMaxCoordinate, kMaxCoordinate);
        if (number == kLeft) form.units.SetLeft(index, value);
        else form.units.SetTop(index, value);
        if (window) {
            RECT place = WindowPlace(window);
            int x = number == kLeft ? value : place.left;
            int y = number == kTop ? value : place.top;
            MoveWindow(window, x, y, place.right - place.left, place.bottom - place.top, TRUE);
        }
        break;
    }
    case kWidth:
    case kHeight: {
        int32_t value = std::clamp(word, 0, kMaxCoordinate);
        if (number == kWidth) form.units.SetWidth(index, value);
        else form.units.SetHeight(index, value);
        if (window) {
            RECT place = WindowPlace(window);
            int cx = number == kWidth ? value : place.right - place.left;
            int cy = number == kHeight ? value : place.bottom - place.top;
            SetWindowPos(window, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    }
    case kTag: {
        auto text = static_cast<const char*>(PayloadAddress(payload));
        form.units.ReplaceTag(index, text ? text : "");
        break;
    }
    case kVisible: {
        bool visible = word != 0;
        form.units.SetFlag(index, kUnitFlagVisible, visible);
        if (!window) break;
        if (!visible) {
            ShowWindow(window, SW_HIDE);
        } else if (index == 0) {
            ShowForm(form, true);
        } else {
            const ComponentType* type = FindComponentType(form.units.Unit(index).TypeReference());
            bool neverShown = type && (type->flags & kTypeFlagNeverShown);
            if (!neverShown && !OnUnselectedTabPage(form, index)) ShowWindow(window, SW_SHOW);
        }
        break;
    }
    case kDisabled:
        form.units.SetFlag(index, kUnitFlagDisabled, word != 0);
        if (window) EnableWindow(window, word == 0);
        break;
    case kMousePointer: {
        auto set = static_cast<const uint8_t*>(PayloadAddress(payload));
        std::string_view bytes = ByteSetView(set);
        std::vector<uint8_t> stored =
            MousePointerForTemplate(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
        form.units.ReplaceMousePointer(index, stored);
        if (index < form.cursors.size()) {
            if (form.cursors[index]) DestroyCursor(form.cursors[index]);
            form.cursors[index] = nullptr;
            if (form.Loaded()) {
                form.cursors[index] = LoadUnitCursorFromData(form.units.Unit(index).MousePointer());
            }
        }
        if (window) {
            POINT cursor;
            GetCursorPos(&cursor);
            SetCursorPos(cursor.x, cursor.y);  // the new pointer shows at once
        }
        break;
    }
    default: break;
    }
}

}  // namespace

uint64_t ReadProperty(uint32_t formId, uint32_t unitId, int32_t propertyNumber, int32_t member) {
    UnitRef ref = LocateUnit(formId, unitId);
    UnitRecord unit = ref.form->units.Unit(ref.index);
    if (unit.IsMenuItem()) return ReadMenuItem(unit, propertyNumber);
    if (propertyNumber >= 0 && propertyNumber <= kMousePointer) return ReadCommon(ref, propertyNumber);
    HWND window = LiveWindow(ref);
    if (!window) ReportRuntimeError("读取组件属性时发现指定窗口尚未载入", 0, formId, unitId);
    const ComponentType* type = FindComponentType(unit.TypeReference());
    return ReadOwn(type, ref.form->Object(ref.index), propertyNumber - 8, member);
}

void WriteProperty(uint32_t formId, uint32_t unitId, int32_t propertyNumber, int32_t member, uint64_t value) {
    UnitRef ref = LocateUnit(formId, unitId);
    UnitRecord unit = ref.form->units.Unit(ref.index);
    if (unit.IsMenuItem()) {
        WriteMenuItem(*ref.form, ref.index, propertyNumber, value);
        return;
    }
    if (propertyNumber >= 0 && propertyNumber <= kMousePointer) {
        WriteCommon(ref, propertyNumber, value);
        return;
    }
    HWND window = LiveWindow(ref);
    if (!window) ReportRuntimeError("修改组件属性时发现指定窗口尚未载入", 0, formId, unitId);
    const ComponentType* type = FindComponentType(unit.TypeReference());
    if (WriteOwn(type, ref.form->Object(ref.index), propertyNumber - 8, member, value) == 1)
        RecreateComponent(*ref.form, ref.index);
}

uint64_t ReadObjectProperty(uint32_t typeReference, void* component, int32_t ownIndex, int32_t member) {
    const ComponentType* type = FindComponentType(typeReference);
    if (!type || !component) return 0;
    return ReadOwn(type, static_cast<ComponentObject*>(component), ownIndex, member);
}

void WriteObjectProperty(uint32_t typeReference, void* component, int32_t ownIndex, int32_t member, uint64_t value) {
    const ComponentType* type = FindComponentType(typeReference);
    if (!type || !component) return;
    WriteOwn(type, static_cast<ComponentObject*>(component), ownIndex, member, value);
}

}  // namespace rt
