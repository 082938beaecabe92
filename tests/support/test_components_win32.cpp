#include "support/test_components_win32.h"

#include "runtime/component_object_win32.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/service_numbers.h"

namespace loader_testing {
namespace {

bool g_raiseWhileCreating = false;

class TestObject : public rt::ComponentObject {
public:
    HWND window = nullptr;
    uint32_t formId = 0;
    uint32_t unitId = 0;
    std::string text;
    int32_t number = 0;
    HWND Window() const override { return window; }
};

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto object = reinterpret_cast<TestObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY && object) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        rt::RuntimeService(rt::kServiceComponentDestroyed, static_cast<intptr_t>(object->formId), static_cast<intptr_t>(object->unitId));
        delete object;
    }
    if (message == WM_CLOSE && object) {
        int64_t keep = 1;
        if (rt::RaiseComponentEvent(object->formId, object->unitId, 12, {}, &keep) && keep == 0) return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterTestClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"LoaderTestWindow";
    RegisterClassW(&windowClass);
    registered = true;
}

rt::ComponentObject* Create(const rt::CreateParameters& p, bool topLevel) {
    RegisterTestClass();
    auto object = new TestObject;
    object->formId = p.formId;
    object->unitId = p.unitId;
    DWORD style = p.style;
    HWND parent = p.parent;
    if (topLevel) {
        style |= WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        if (!parent && p.modal) parent = rt::Runtime().hiddenOwner;
    } else {
        style |= WS_CHILD | WS_CLIPSIBLINGS;
    }
    object->window = CreateWindowExW(0, L"LoaderTestWindow", L"", style, p.x, p.y, p.cx, p.cy, parent,
                                     topLevel ? p.menu : reinterpret_cast<HMENU>(static_cast<intptr_t>(p.controlId)),
                                     GetModuleHandleW(nullptr), nullptr);
    if (!object->window) {
        delete object;
        return nullptr;
    }
    SetWindowLongPtrW(object->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    Creations().push_back({p.unitId, p.controlId, p.style, object->window});
    if (g_raiseWhileCreating) rt::RaiseComponentEvent(p.formId, p.unitId, 0);
    return object;
}

rt::ComponentObject* CreateWindowUnit(const rt::CreateParameters& p) { return Create(p, true); }
rt::ComponentObject* CreateChildUnit(const rt::CreateParameters& p) { return Create(p, false); }

int SetProperty(rt::ComponentObject* object, int ownIndex, const rt::PropertyValue& value) {
    auto test = static_cast<TestObject*>(object);
    if (ownIndex == 0) test->text = value.bytes;
    if (ownIndex == 1) test->number = value.integer;
    return 0;
}

bool GetProperty(rt::ComponentObject* object, int ownIndex, rt::PropertyValue* value) {
    auto test = static_cast<TestObject*>(object);
    if (ownIndex == 0) value->bytes = test->text;
    else if (ownIndex == 1) value->integer = test->number;
    else return false;
    return true;
}

const rt::PropertyDescriptor kChildProperties[] = {
    {"文本", "text", rt::kPropertyText},
    {"数值", "number", rt::kPropertyInteger},
};
rt::PropertyList ChildPropertyList() { return {kChildProperties, 2}; }

void* WindowInterface(int request) {
    return request == rt::kRequestCreate ? reinterpret_cast<void*>(CreateWindowUnit) : nullptr;
}
void* ChildInterface(int request) {
    switch (request) {
    case rt::kRequestCreate: return reinterpret_cast<void*>(CreateChildUnit);
    case rt::kRequestSetProperty: return reinterpret_cast<void*>(SetProperty);
    case rt::kRequestGetProperty: return reinterpret_cast<void*>(GetProperty);
    case rt::kRequestPropertyList: return reinterpret_cast<void*>(ChildPropertyList);
    default: return nullptr;
    }
}

const rt::ComponentType kTypes[] = {
    {"窗口", "Window", rt::kTypeFlagCanRaiseEvents, WindowInterface},
    {"子件", "Child", rt::kTypeFlagCanRaiseEvents, ChildInterface},
    {"隐件", "Hidden", rt::kTypeFlagCanRaiseEvents | rt::kTypeFlagNeverShown, ChildInterface},
    {"分页", "Paged", rt::kTypeFlagCanRaiseEvents | rt::kTypeFlagPagedChildren, ChildInterface},
    {"静件", "Silent", 0, ChildInterface},
};

const rt::SupportLibrary kLibrary = {
    rt::kLibraryRecordFormat, "0123456789ABCDEF0123456789ABCDEF", 1, 0, 0, "测试库", 0, nullptr, 5, kTypes, nullptr,
};

}  // namespace

std::vector<Creation>& Creations() {
    static std::vector<Creation> creations;
    return creations;
}

const rt::SupportLibrary* TestLibrary() { return &kLibrary; }
void RaiseEventWhileCreating(bool enabled) { g_raiseWhileCreating = enabled; }
void* TestWindowInterface(int request) { return WindowInterface(request); }

}  // namespace loader_testing
