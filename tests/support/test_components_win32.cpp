#include "support/test_components_win32.h"

#include "components/common/component_window_win32.h"
#include "components/common/type_interface_win32.h"
#include "runtime/component_object_win32.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"

namespace rt::testing {
namespace {

bool g_raiseWhileCreating = false;

bool RegisterTestClass(const wchar_t* className, WNDPROC procedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassW(&windowClass) != 0;
}

// A top-level window (no own properties) or a child with a text and a number.
template <bool TopLevel>
class TestObject : public components::ComponentWindow<TestObject<TopLevel>>, public rt::ComponentObject {
    using Binding = components::ComponentWindow<TestObject<TopLevel>>;
    static constexpr const wchar_t* kClassName = TopLevel ? L"LoaderTestWindow" : L"LoaderTestChild";

public:
    static TestObject* Create(const rt::CreateParameters& p) {
        static const bool registered = RegisterTestClass(kClassName, Binding::ClassProcedure);
        if (!registered) return nullptr;
        auto* object = new TestObject(p.formId, p.unitId);
        DWORD style = p.style;
        HWND parent = p.parent;
        if (TopLevel) {
            style |= WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
            if (!parent && p.modal) parent = rt::Runtime().hiddenOwner;
        } else {
            style |= WS_CHILD | WS_CLIPSIBLINGS;
        }
        HWND window = object->CreateBoundWindow(
            0, kClassName, L"", style, p.x, p.y, p.cx, p.cy, parent,
            TopLevel ? p.menu : reinterpret_cast<HMENU>(static_cast<intptr_t>(p.controlId)));
        if (!window) {
            delete object;
            return nullptr;
        }
        object->Adopt();
        Creations().push_back({p.unitId, p.controlId, p.style, window});
        if (g_raiseWhileCreating) rt::RaiseComponentEvent(p.formId, p.unitId, 0);
        return object;
    }
    static rt::PropertyList Properties();
    std::vector<uint8_t> AllData() const { return {}; }
    HWND Window() const override { return this->window_; }

    int SetProperty(int ownIndex, const rt::PropertyValue& value)
        requires(!TopLevel)
    {
        if (ownIndex == 0) text_ = value.bytes;
        if (ownIndex == 1) number_ = value.integer;
        return 0;
    }
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const
        requires(!TopLevel)
    {
        if (ownIndex == 0) value->bytes = text_;
        else if (ownIndex == 1) value->integer = number_;
        else return false;
        return true;
    }

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CLOSE) {
            int64_t keep = 1;
            if (rt::RaiseComponentEvent(this->formId_, this->unitId_, 12, {}, &keep) && keep == 0) return 0;
        }
        return this->Default(message, wParam, lParam);
    }

private:
    TestObject(uint32_t formId, uint32_t unitId) : Binding(formId, unitId) {}
    std::string text_;
    int32_t number_ = 0;
};

const rt::PropertyDescriptor kChildProperties[] = {
    {"文本", "text", rt::kPropertyText},
    {"数值", "number", rt::kPropertyInteger},
};
template <>
rt::PropertyList TestObject<true>::Properties() { return {nullptr, 0}; }
template <>
rt::PropertyList TestObject<false>::Properties() { return {kChildProperties, 2}; }

void* WindowInterface(int request) { return components::TypeInterfaceFor<TestObject<true>>(request); }
void* ChildInterface(int request) { return components::TypeInterfaceFor<TestObject<false>>(request); }

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

}  // namespace rt::testing
