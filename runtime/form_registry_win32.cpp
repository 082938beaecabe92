// Form registry: the forms read from the window template, the component
// types of the support libraries and the window map.
#include "runtime/form_registry_win32.h"

#include <unordered_map>

#include "runtime/entry_points.h"
#include "runtime/events.h"
#include "runtime/form_access_win32.h"
#include "runtime/form_host_win32.h"
#include "runtime/form_template.h"
#include "runtime/runtime_context_win32.h"

namespace rt {
namespace {

std::unordered_map<HWND, ComponentObject*>& WindowMap() {
    static std::unordered_map<HWND, ComponentObject*> map;
    return map;
}

// The registry as the error report sees it: tags of windows and units.
class RegistryDirectory : public FormDirectory {
public:
    bool FormExists(uint32_t formId) const override { return FindForm(formId) != nullptr; }
    std::string WindowTag(uint32_t formId) const override {
        Form* form = FindForm(formId);
        if (!form || form->units.UnitCount() == 0) return std::string();
        return std::string(form->units.Unit(0).Tag());
    }
    bool UnitTag(uint32_t formId, uint32_t unitId, std::string* tag) const override {
        Form* form = FindForm(formId);
        if (!form) return false;
        int index = form->units.FindUnit(unitId);
        if (index < 0) return false;
        UnitRecord unit = form->units.Unit(static_cast<uint32_t>(index));
        if (unit.IsMenuItem()) return false;
        *tag = std::string(unit.Tag());
        return true;
    }
};

RegistryDirectory g_directory;

void DestroyFormResources(Form& form) {
    if (form.accelerators) DestroyAcceleratorTable(form.accelerators);
    form.accelerators = nullptr;
    for (HCURSOR& cursor : form.cursors) {
        if (cursor) DestroyCursor(cursor);
        cursor = nullptr;
    }
}

}  // namespace

std::vector<Form>& Forms() {
    static std::vector<Form> forms;
    return forms;
}

Form* FindForm(uint32_t formId) {
    if (!IsValidId(formId)) return nullptr;
    for (Form& form : Forms())
        if (form.Id() == formId) return &form;
    return nullptr;
}

Form* FormOfWindow(HWND window) {
    if (!window) return nullptr;
    for (Form& form : Forms())
        if (form.window == window) return &form;
    return nullptr;
}

bool LoadFormTemplate(const uint8_t* data, uint32_t length, uintptr_t userCodeBase) {
    SetFormDirectory(&g_directory);
    if (!data || length == 0) return true;  // a program without windows
    FormTemplate formTemplate;
    if (FormTemplate::Read(data, length, &formTemplate) != ReadStatus::kOk) return false;
    formTemplate.RelocateHandlers(userCodeBase, sizeof(EventHandler));
    std::vector<Form> forms(formTemplate.forms.size());
    for (size_t i = 0; i < forms.size(); ++i) forms[i].units = std::move(formTemplate.forms[i]);
    Forms() = std::move(forms);
    return true;
}

const ComponentType* FindComponentType(uint32_t typeReference) {
    uint32_t library = typeReference >> 16;
    uint32_t index = typeReference & 0xFFFF;
    if (library < 1 || library > kSupportLibraryCount || index < 1) return nullptr;
    const SupportLibrary* record = Runtime().libraries[library - 1];
    if (!record || index > static_cast<uint32_t>(record->typeCount) || !record->types) return nullptr;
    return &record->types[index - 1];
}

void* TypeRequest(const ComponentType* type, int request) {
    if (!type || !type->interfaceFunction) return nullptr;
    return type->interfaceFunction(request);
}

PropertyList PropertiesOfType(const ComponentType* type) {
    auto list = reinterpret_cast<PropertyListFunction>(TypeRequest(type, kRequestPropertyList));
    return list ? list() : PropertyList{nullptr, 0};
}

void MapComponentWindow(HWND window, ComponentObject* object) {
    if (window) WindowMap()[window] = object;
}
void UnmapComponentWindow(HWND window) { WindowMap().erase(window); }
ComponentObject* ComponentOfWindow(HWND window) {
    auto found = WindowMap().find(window);
    return found == WindowMap().end() ? nullptr : found->second;
}

ComponentObject* ComponentOf(uint32_t formId, uint32_t unitId) {
    Form* form = FindForm(formId);
    if (!form || !form->Loaded()) return nullptr;
    int index = form->units.FindUnit(unitId);
    return index < 0 ? nullptr : form->Object(static_cast<uint32_t>(index));
}

HWND WindowOfComponent(uint32_t formId, uint32_t unitId) {
    ComponentObject* object = ComponentOf(formId, unitId);
    HWND window = object ? object->Window() : nullptr;
    return window && IsWindow(window) ? window : nullptr;
}

HCURSOR CursorOfUnit(uint32_t formId, uint32_t unitId) {
    Form* form = FindForm(formId);
    if (!form) return nullptr;
    int index = form->units.FindUnit(unitId);
    if (index < 0 || static_cast<size_t>(index) >= form->cursors.size()) return nullptr;
    return form->cursors[static_cast<size_t>(index)];
}

bool AnyFormWindowExists() {
    for (Form& form : Forms())
        if (form.Loaded()) return true;
    return false;
}

void UnloadAllForms() {
    for (Form& form : Forms()) {
        if (form.Loaded()) DestroyWindow(form.window);
        DestroyFormResources(form);
    }
}

bool PreTranslateFormMessage(MSG& message) {
    if (!message.hwnd) return false;
    for (HWND window = message.hwnd; window; window = GetParent(window)) {
        ComponentObject* object = ComponentOfWindow(window);
        if (!object) object = reinterpret_cast<ComponentObject*>(SendMessageW(window, kQueryComponentObject, 0, 0));
        if (object && object->PreTranslateMessage(message)) return true;
        if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) break;  // stop after the top-level window
    }
    return false;
}

bool RunFormIdleWork(DWORD elapsedMilliseconds) {
    auto& done = Runtime().idleDoneWindows;
    bool more = false;
    for (Form& form : Forms()) {
        if (!form.Loaded() || !form.Object(0)) continue;
        bool isDone = false;
        for (HWND window : done) isDone = isDone || window == form.window;
        if (isDone) continue;
        if (form.Object(0)->OnIdle(elapsedMilliseconds)) more = true;
        else done.push_back(form.window);
    }
    return more;
}

void ComponentDestroyed(uint32_t formId, uint32_t unitId) {
    Form* form = FindForm(formId);
    if (!form) return;
    int found = form->units.FindUnit(unitId);
    if (found < 0) return;
    auto index = static_cast<uint32_t>(found);
    if (index < form->cursors.size() && form->cursors[index]) {
        DestroyCursor(form->cursors[index]);
        form->cursors[index] = nullptr;
    }
    if (index < form->objects.size()) {
        if (form->objects[index]) UnmapComponentWindow(form->objects[index]->Window());
        form->objects[index] = nullptr;
    }
    if (index != 0) return;

    // The window itself: everything changed while it was on screen goes.
    DestroyFormResources(*form);
    for (HWND disabled : form->disabledWindows)
        if (IsWindow(disabled)) EnableWindow(disabled, TRUE);
    form->disabledWindows.clear();
    if (form->hasSnapshot) {
        form->units = std::move(form->snapshot);
        form->snapshot = FormRecord();
        form->hasSnapshot = false;
    }
    form->window = nullptr;
    form->objects.clear();
    form->cursors.clear();
    form->modal = false;
    form->waitingForFirstShow = false;
    if (form->menu && !IsMenu(form->menu)) form->menu = nullptr;
    RuntimeContext& runtime = Runtime();
    if (runtime.currentModalFormId == formId) runtime.currentModalFormId = 0;
    if (!AnyFormWindowExists() && runtime.loopEntered && !runtime.shuttingDown) PostQuitMessage(0);
}

}  // namespace rt
