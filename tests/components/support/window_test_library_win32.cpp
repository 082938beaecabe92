#include "support/window_test_library_win32.h"

#include <gtest/gtest.h>

#include "components/common/component_types_win32.h"
#include "components/common/component_window_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/type_interface_win32.h"
#include "runtime/component_object_win32.h"
#include "runtime/form_host_win32.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "support/form_harness_win32.h"

namespace components::testing {
namespace {

// A system button or edit box that records its clicks as they come back
// from the form window.
class TestControl : public components::ComponentWindow<TestControl>, public rt::ComponentObject {
public:
    static TestControl* Create(const rt::CreateParameters& p) {
        uint8_t kind = p.length ? p.data[0] : kControlPushButton;
        const wchar_t* className = kind == kControlEdit ? L"EDIT" : L"BUTTON";
        DWORD style = p.style | WS_CHILD | WS_CLIPSIBLINGS;
        if (kind == kControlDefaultButton) style |= BS_DEFPUSHBUTTON;
        if (kind == kControlEdit) style |= ES_AUTOHSCROLL;
        auto* control = new TestControl(p.formId, p.unitId, kind);
        if (!control->CreateBoundWindow(0, className, L"", style, p.x, p.y, p.cx, p.cy, p.parent,
                                        reinterpret_cast<HMENU>(static_cast<intptr_t>(p.controlId)))) {
            delete control;
            return nullptr;
        }
        control->Adopt();
        components::SetReflectionTarget(control->window_, control->window_);
        return control;
    }
    static rt::PropertyList Properties() { return {nullptr, 0}; }
    std::vector<uint8_t> AllData() const { return {kind_}; }
    HWND Window() const override { return window_; }

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == components::kReflectedMessageBase + WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            Clicks().push_back(GetDlgCtrlID(window_));
            return 1;
        }
        return Default(message, wParam, lParam);
    }

private:
    TestControl(uint32_t formId, uint32_t unitId, uint8_t kind) : ComponentWindow(formId, unitId), kind_(kind) {}
    uint8_t kind_;
};

std::vector<rt::ComponentType> CoreTypes() {
    std::vector<rt::ComponentType> types(32, rt::ComponentType{"", "", 0, nullptr});
    types[0] = {"窗口", "Window", rt::kTypeFlagCanRaiseEvents, components::WindowTypeInterface};
    types[1] = {"测试控件", "TestControl", rt::kTypeFlagCanRaiseEvents, components::TypeInterfaceFor<TestControl>};
    types[31] = {"时钟", "Timer", rt::kTypeFlagCanRaiseEvents | rt::kTypeFlagNeverShown,
                 components::TimerTypeInterface};
    return types;
}

std::vector<rt::ComponentType> ExtendedTypes() {
    std::vector<rt::ComponentType> types(5, rt::ComponentType{"", "", 0, nullptr});
    types[4] = {"透明标签", "TransLabel", rt::kTypeFlagCanRaiseEvents, components::TransLabelTypeInterface};
    return types;
}

std::vector<HandlerCall> g_calls;
int64_t g_results[kHandlerCount] = {1, 1, 1, 1, 1, 1, 1, 1, 1};

template <int N>
int64_t Record(const uint32_t* arguments, int count) {
    g_calls.push_back({N, rt::EventSourceUnit(), count > 0 ? arguments[0] : 0});
    return g_results[N];
}

const rt::EventHandler kHandlers[kHandlerCount] = {Record<0>, Record<1>, Record<2>, Record<3>, Record<4>,
                                                  Record<5>, Record<6>, Record<7>, Record<8>};

}  // namespace

std::vector<const rt::SupportLibrary*> Libraries() {
    static const std::vector<rt::ComponentType> core = CoreTypes();
    static const std::vector<rt::ComponentType> extended = ExtendedTypes();
    static const rt::SupportLibrary coreLibrary = {
        rt::kLibraryRecordFormat, "0123456789ABCDEF0123456789ABCDEF", 5, 7, 0, "系统核心支持库", 0, nullptr,
        static_cast<int>(core.size()), core.data(), nullptr};
    static const rt::SupportLibrary extendedLibrary = {
        rt::kLibraryRecordFormat, "FEDCBA9876543210FEDCBA9876543210", 2, 0, 0, "扩展界面支持库一", 0, nullptr,
        static_cast<int>(extended.size()), extended.data(), nullptr};
    return {&coreLibrary, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &extendedLibrary};
}

std::vector<int>& Clicks() {
    static std::vector<int> clicks;
    return clicks;
}

std::vector<HandlerCall>& HandlerCalls() { return g_calls; }
int64_t& HandlerResult(int handler) { return g_results[handler]; }
const rt::EventHandler* Handlers() { return kHandlers; }
int CallsOf(int handler) {
    int count = 0;
    for (const HandlerCall& call : g_calls) count += call.handler == handler;
    return count;
}

void Start(const std::vector<uint8_t>& templateBytes) {
    g_calls.clear();
    Clicks().clear();
    for (int i = 0; i < kHandlerCount; ++i) g_results[i] = 1;
    if (!rt::Runtime().initialized) {
        rt::testing::StartRuntime(templateBytes, Libraries(), kHandlers, kHandlerCount);
        return;
    }
    // A test that loads several templates: the previous forms go first.
    for (rt::Form& form : rt::Forms())
        if (form.Loaded()) DestroyWindow(form.window);
    static std::vector<uint8_t> current;
    current = templateBytes;
    EXPECT_TRUE(rt::LoadFormTemplate(current.data(), static_cast<uint32_t>(current.size()),
                                     reinterpret_cast<uintptr_t>(kHandlers)));
}

std::vector<uint8_t> WindowBytes(const std::function<void(components::WindowData&)>& change) {
    components::WindowData data;
    change(data);
    return data.Write();
}

}  // namespace components::testing
