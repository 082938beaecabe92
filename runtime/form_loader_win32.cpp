// Load form: creates a form's window and components from its template units,
// and shows it (running a modal loop for a modal form).
#include <cstdio>
#include <cstring>

#include "runtime/entry_points.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/message_loop_win32.h"
#include "runtime/mouse_pointer.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/startup_trace_win32.h"
#include "runtime/template_slot.h"
#include "runtime/text_conversion_win32.h"

namespace rt {
namespace {

constexpr uint32_t kMenuItemCommandBase = 20000;
constexpr uint32_t kMaxCoordinate = 32627;
constexpr int kFirstControlId = 100;
constexpr int kControlIdStep = 10;

}  // namespace

HMENU BuildMenu(const FormRecord& units) {
    HMENU menu = nullptr;
    for (uint32_t i = 1; i < units.UnitCount(); ++i) {
        UnitRecord unit = units.Unit(i);
        if (!unit.IsMenuItem()) continue;
        if (!menu) menu = CreateMenu();
        uint32_t flags = unit.MenuFlags();
        UINT style = MF_STRING;
        if (flags & 0x4) style |= MF_CHECKED;
        if (flags & 0x2) style |= MF_GRAYED;
        if (!(flags & 0x1)) continue;  // property 3 is the inverted bit 0: hidden
        std::wstring caption = WideFromGbk(unit.Caption());
        AppendMenuW(menu, style, kMenuItemCommandBase + i, caption.c_str());
    }
    return menu;
}

namespace {

// Loads a unit's pointer from its mouse-pointer data.
HCURSOR LoadUnitCursor(std::span<const uint8_t> data) {
    uint32_t length = static_cast<uint32_t>(data.size());
    if (length == 0) return nullptr;
    uint32_t key;
    if (length >= 4) {
        std::memcpy(&key, data.data(), 4);
    } else {
        key = data[0];
    }
    if (key != 0xFFFFFFFFu && length > 10) {
        HCURSOR fromFile = CreateIconFromResourceEx(const_cast<uint8_t*>(data.data()), length, FALSE, 0x00030000,
                                                    0, 0, LR_DEFAULTCOLOR);
        if (fromFile) return fromFile;
    }
    if (key < 15) key = CursorIdFromPointerIndex(key);
    if (key == 0) return nullptr;
    if (key == kHandCursorId) {
        HCURSOR own = static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr),
                                                      MAKEINTRESOURCEW(kProgramHandCursorResource), IMAGE_CURSOR, 0,
                                                      0, LR_DEFAULTSIZE));
        return own;
    }
    if (key == 0xFFFFFFFFu) {
        if (length <= 4) return nullptr;
        // The data after the first word is a cursor file: directory, then the image.
        const uint8_t* file = data.data() + 4;
        uint32_t fileLength = length - 4;
        if (fileLength < 6 + 16) return nullptr;
        uint32_t imageSize, imageOffset;
        std::memcpy(&imageSize, file + 6 + 8, 4);
        std::memcpy(&imageOffset, file + 6 + 12, 4);
        if (imageOffset > fileLength || imageSize > fileLength - imageOffset) return nullptr;
        return CreateIconFromResourceEx(const_cast<uint8_t*>(file + imageOffset), imageSize, FALSE, 0x00030000, 0, 0,
                                        LR_DEFAULTCOLOR);
    }
    for (uint32_t index = 1; index < 15; ++index) {
        if (CursorIdFromPointerIndex(index) == key)
            return static_cast<HCURSOR>(
                CopyIcon(LoadCursorW(nullptr, MAKEINTRESOURCEW(static_cast<WORD>(key)))));
    }
    return nullptr;
}

bool TypeNeverShown(const ComponentType* type) { return type && (type->flags & kTypeFlagNeverShown); }

ComponentObject* CreateUnit(Form& form, uint32_t index, const ComponentType* type, const CreateParameters& base) {
    auto create = reinterpret_cast<CreateFunction>(TypeRequest(type, kRequestCreate));
    if (!create) return nullptr;
    UnitRecord unit = form.units.Unit(index);
    CreateParameters parameters = base;
    std::span<const uint8_t> own = unit.OwnData();
    parameters.data = own.data();
    parameters.length = static_cast<uint32_t>(own.size());
    parameters.x = unit.Left();
    parameters.y = unit.Top();
    parameters.cx = unit.Width();
    parameters.cy = unit.Height();
    parameters.unitId = unit.Id();
    uint32_t style = 0;
    if (!TypeNeverShown(type) && unit.Disabled()) style |= WS_DISABLED;
    if (unit.TabStop()) style |= WS_TABSTOP;
    parameters.style = style;
    std::string detail = trace::Enabled() ? TraceText(unit.Name()) : std::string();
    trace::Span span(type->englishName ? type->englishName : "component", detail.c_str());
    ComponentObject* object = create(parameters);
    return object;
}

// Every unit listed after the first 0 separator of a paged container.
bool OnHiddenPage(const Form& form, uint32_t index) {
    UnitRecord unit = form.units.Unit(index);
    uint32_t parentId = unit.Parent();
    if (parentId == 0) return false;
    int parentIndex = form.units.FindUnit(parentId);
    if (parentIndex <= 0) return false;
    UnitRecord parent = form.units.Unit(static_cast<uint32_t>(parentIndex));
    const ComponentType* type = FindComponentType(parent.TypeReference());
    if (!type || !(type->flags & kTypeFlagPagedChildren)) return false;
    bool pastSeparator = false;
    for (uint32_t i = 0; i < parent.ChildCount(); ++i) {
        uint32_t child = parent.Child(i);
        if (child == 0) pastSeparator = true;
        else if (child == unit.Id()) return pastSeparator;
    }
    return false;
}

HWND UnitWindow(const Form& form, uint32_t index) {
    ComponentObject* object = form.Object(index);
    return object ? object->Window() : nullptr;
}

// Containers first take their children in, then each parent's children are
// stacked in template order, the first on top.
void ArrangeWindows(Form& form) {
    uint32_t count = form.units.UnitCount();
    for (uint32_t i = 1; i < count; ++i) {
        HWND window = UnitWindow(form, i);
        UnitRecord unit = form.units.Unit(i);
        if (!window || unit.IsMenuItem() || unit.Parent() == 0) continue;
        int parentIndex = form.units.FindUnit(unit.Parent());
        if (parentIndex <= 0) continue;
        HWND container = UnitWindow(form, static_cast<uint32_t>(parentIndex));
        if (container && container != window) SetParent(window, container);
    }
    std::vector<std::pair<uint32_t, HWND>> lastOfParent;  // parent id -> previous window
    for (uint32_t i = 1; i < count; ++i) {
        HWND window = UnitWindow(form, i);
        UnitRecord unit = form.units.Unit(i);
        if (!window || unit.IsMenuItem()) continue;
        HWND previous = nullptr;
        for (auto& entry : lastOfParent)
            if (entry.first == unit.Parent()) previous = entry.second;
        UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        SetWindowPos(window, previous ? previous : HWND_TOP, 0, 0, 0, 0, flags);
        bool recorded = false;
        for (auto& entry : lastOfParent)
            if (entry.first == unit.Parent()) { entry.second = window; recorded = true; }
        if (!recorded) lastOfParent.emplace_back(unit.Parent(), window);
    }
}

void RaiseWindowEvent(Form& form, int32_t eventNumber) {
    if (!form.Loaded()) return;
    RaiseComponentEvent(form.Id(), form.units.UnitId(0), eventNumber);
}

void DisableOtherForms(Form& form) {
    form.disabledWindows.clear();
    for (Form& other : Forms()) {
        if (&other == &form || !other.Loaded()) continue;
        if (IsWindowEnabled(other.window)) {
            EnableWindow(other.window, FALSE);
            form.disabledWindows.push_back(other.window);
        }
    }
}

void AbandonLoad(Form& form) {
    for (size_t i = form.objects.size(); i-- > 1;) {
        HWND window = UnitWindow(form, static_cast<uint32_t>(i));
        if (window && IsWindow(window)) DestroyWindow(window);
    }
    if (form.accelerators) DestroyAcceleratorTable(form.accelerators);
    if (form.menu) DestroyMenu(form.menu);
    form.accelerators = nullptr;
    form.menu = nullptr;
    form.objects.clear();
    form.cursors.clear();
    form.window = nullptr;
    if (form.hasSnapshot) {
        form.units = std::move(form.snapshot);
        form.snapshot = FormRecord();
        form.hasSnapshot = false;
    }
}

}  // namespace

HCURSOR LoadUnitCursorFromData(std::span<const uint8_t> data) { return LoadUnitCursor(data); }

namespace {

// A loaded form is brought forward, or destroyed for a reload. False when
// there is nothing more to do.
bool PrepareForLoad(Form& form, bool reload) {
    if (!form.Loaded()) return true;
    if (!reload) {
        if (IsIconic(form.window)) ShowWindow(form.window, SW_RESTORE);
        else SetActiveWindow(form.window);
        return false;
    }
    DestroyWindow(form.window);
    return true;
}

void ResetFormState(Form& form, bool modal) {
    form.snapshot = form.units;
    form.hasSnapshot = true;
    form.menu = BuildMenu(form.units);
    form.accelerators = nullptr;
    uint32_t count = form.units.UnitCount();
    form.objects.assign(count, nullptr);
    form.cursors.assign(count, nullptr);
    form.modal = modal;
}

bool CreateFormWindow(Form& form, bool modal, HWND owner) {
    const ComponentType* windowType = FindComponentType(form.units.Unit(0).TypeReference());
    CreateParameters parameters{};
    parameters.formId = form.Id();
    parameters.parent = owner;
    parameters.menu = form.menu;
    parameters.controlId = 0;
    parameters.modal = modal;
    ComponentObject* windowObject = windowType ? CreateUnit(form, 0, windowType, parameters) : nullptr;
    if (!windowObject || !windowObject->Window()) {
        delete windowObject;
        return false;
    }
    form.objects[0] = windowObject;
    form.window = windowObject->Window();
    MapComponentWindow(form.window, windowObject);
    return true;
}

// From the last unit down to unit 1, with control ids 100, 110, ...; types
// this program does not carry are left out. Each unit's object slot then
// names its object.
void CreateComponents(Form& form) {
    uint32_t count = form.units.UnitCount();
    int controlId = kFirstControlId;
    for (uint32_t i = count; i-- > 1;) {
        UnitRecord unit = form.units.Unit(i);
        if (unit.IsMenuItem()) continue;
        const ComponentType* type = FindComponentType(unit.TypeReference());
        if (!type || !TypeRequest(type, kRequestCreate)) continue;
        CreateParameters parameters{};
        parameters.formId = form.Id();
        parameters.parent = form.window;
        parameters.controlId = controlId;
        controlId += kControlIdStep;
        ComponentObject* object = CreateUnit(form, i, type, parameters);
        if (!object) continue;
        form.objects[i] = object;
        MapComponentWindow(object->Window(), object);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (form.objects[i]) form.units.SetObjectSlot(i, PointerToSlot(form.objects[i], "component object"));
    }
}

// Stacking and cursors, the created notices (components last to first, then
// the window), and the visible components shown.
void FinishComponents(Form& form) {
    uint32_t count = form.units.UnitCount();
    {
        trace::Span span("form: stacking and cursors");
        ArrangeWindows(form);
        for (uint32_t i = 0; i < count; ++i) {
            UnitRecord unit = form.units.Unit(i);
            if (!unit.IsMenuItem()) form.cursors[i] = LoadUnitCursor(unit.MousePointer());
        }
    }
    {
        trace::Span span("form: created notices");
        for (uint32_t i = count; i-- > 1;) {
            HWND window = UnitWindow(form, i);
            if (window && IsWindow(window)) SendMessageW(window, kNoticeFormCreated, 0, 0);
        }
        if (form.Loaded()) SendMessageW(form.window, kNoticeWindowCreated, 0, 0);
    }
    trace::Span span("form: show components");
    for (uint32_t i = 1; i < count; ++i) {
        HWND window = UnitWindow(form, i);
        UnitRecord unit = form.units.Unit(i);
        if (!window || !IsWindow(window) || unit.IsMenuItem() || !unit.Visible()) continue;
        if (TypeNeverShown(FindComponentType(unit.TypeReference())) || OnHiddenPage(form, i)) continue;
        ShowWindow(window, SW_SHOWNA);
    }
}

// The load events, then the window shown as designed.
void AnnounceLoad(Form& form) {
    {
        trace::Span span("form: events created, moved, resized");
        RaiseWindowEvent(form, kWindowCreated);
        RaiseWindowEvent(form, kWindowMoved);
        RaiseWindowEvent(form, kWindowResized);
    }
    trace::Span span("form: show window");
    if (form.Loaded() && form.units.Unit(0).Visible()) form.Object(0)->ShowAsDesigned();
}

// The other forms are disabled and the components told; a focus they moved
// goes back.
void EnterModalState(Form& form) {
    DisableOtherForms(form);
    HWND focus = GetFocus();
    for (uint32_t i = form.units.UnitCount(); i-- > 1;) {
        HWND window = UnitWindow(form, i);
        if (window && IsWindow(window)) SendMessageW(window, kNoticeModalLoaded, 0, 0);
    }
    if (GetFocus() != focus && focus && IsWindow(focus)) SetFocus(focus);
    form.waitingForFirstShow = true;
}

}  // namespace

int LoadForm(Form& form, bool reload, bool modal, HWND owner) {
    if (!PrepareForLoad(form, reload)) return 1;
    if (modal) owner = nullptr;
    else if (owner && !IsWindow(owner)) return 0;

    char formId[16] = {};
    if (trace::Enabled()) std::snprintf(formId, sizeof formId, "0x%08X", static_cast<unsigned>(form.Id()));
    trace::Span span("load form", formId);
    RaiseEventSuppression();  // no handler runs while the form is being built
    ResetFormState(form, modal);
    trace::Span window("form: create window");
    if (!CreateFormWindow(form, modal, owner)) {
        AbandonLoad(form);
        LowerEventSuppression();
        return 0;
    }
    window.Close();
    {
        trace::Span components("form: create components");
        CreateComponents(form);
    }
    FinishComponents(form);
    LowerEventSuppression();

    AnnounceLoad(form);
    if (modal && form.Loaded()) EnterModalState(form);
    return 1;
}

void ShowForm(Form& form, bool show) {
    if (!form.Loaded()) return;
    if (!form.waitingForFirstShow) {
        if (show) ShowWindow(form.window, SW_SHOW);
        return;
    }
    form.waitingForFirstShow = false;
    if (form.modal) {
        HWND owner = GetWindow(form.window, GW_OWNER);
        Form* ownerForm = FormOfWindow(owner);
        if (ownerForm && (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST))
            SetWindowPos(form.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (show) form.Object(0)->ShowAsDesigned();
    if (form.modal) {
        RuntimeContext& runtime = Runtime();
        uint32_t saved = runtime.currentModalFormId;
        runtime.currentModalFormId = form.Id();
        RunLoop(LoopMode::Modal);
        // A form closed while a later modal form ran must still end its own loop.
        Form* savedForm = FindForm(saved);
        runtime.currentModalFormId = savedForm && savedForm->Loaded() ? saved : 0;
    }
}

int LoadStartupWindow(uint32_t formId) {
    Form* form = FindForm(formId);
    SetStartupFormForTrace(formId);
    int result = form ? LoadForm(*form, false, false, nullptr) : 0;
    if (!result) ReportRuntimeError("载入启动窗口失败", 0, formId, 0);
    return result;
}

bool RecreateComponent(Form& form, uint32_t unitIndex) {
    if (unitIndex == 0 || !form.Loaded() || unitIndex >= form.objects.size()) return false;
    ComponentObject* old = form.objects[unitIndex];
    if (!old) return false;
    UnitRecord unit = form.units.Unit(unitIndex);
    const ComponentType* type = FindComponentType(unit.TypeReference());
    auto getAll = reinterpret_cast<GetAllDataFunction>(TypeRequest(type, kRequestGetAllData));
    auto create = reinterpret_cast<CreateFunction>(TypeRequest(type, kRequestCreate));
    if (!getAll || !create) return false;
    std::vector<uint8_t> data = getAll(old);
    HWND oldWindow = old->Window();
    HWND parent = GetParent(oldWindow);
    HWND previous = GetWindow(oldWindow, GW_HWNDPREV);
    RECT place;
    GetWindowRect(oldWindow, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    CreateParameters parameters{};
    parameters.data = data.data();
    parameters.length = static_cast<uint32_t>(data.size());
    parameters.style = static_cast<uint32_t>(GetWindowLongW(oldWindow, GWL_STYLE)) & (WS_DISABLED | WS_TABSTOP);
    parameters.parent = form.window;
    parameters.controlId = GetDlgCtrlID(oldWindow);
    parameters.x = place.left;
    parameters.y = place.top;
    parameters.cx = place.right - place.left;
    parameters.cy = place.bottom - place.top;
    parameters.formId = form.Id();
    parameters.unitId = unit.Id();
    bool visible = IsWindowVisible(oldWindow);
    // The old window's destruction must not clear the unit's slot for the new one.
    HCURSOR cursor = form.cursors[unitIndex];
    form.cursors[unitIndex] = nullptr;
    UnmapComponentWindow(oldWindow);
    form.objects[unitIndex] = nullptr;
    DestroyWindow(oldWindow);
    ComponentObject* object = create(parameters);
    form.cursors[unitIndex] = cursor;
    if (!object) return false;
    form.objects[unitIndex] = object;
    MapComponentWindow(object->Window(), object);
    form.units.SetObjectSlot(unitIndex, PointerToSlot(object, "component object"));
    if (parent != form.window) SetParent(object->Window(), parent);
    SetWindowPos(object->Window(), previous ? previous : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (visible) ShowWindow(object->Window(), SW_SHOWNA);
    return true;
}

}  // namespace rt
