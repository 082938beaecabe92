#include "support/reflecting_window_win32.h"

#include <windows.h>

#include "components/common/control_reflection_win32.h"
#include "runtime/component_object_win32.h"
#include "runtime/entry_points.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/service_numbers.h"

namespace component_testing {
namespace {

constexpr wchar_t kClassName[] = L"ReflectingTestWindow";

class TestWindow : public rt::ComponentObject {
public:
    HWND window = nullptr;
    uint32_t formId = 0, unitId = 0;
    HWND Window() const override { return window; }
};

LRESULT CALLBACK TestWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto object = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        LRESULT result = 0;
        if (components::ReflectToControl(window, message, wParam, lParam, &result)) return result;
        break;
    }
    case WM_DRAWITEM: {
        LRESULT result = 0;
        if (components::ReflectToControl(window, message, wParam, lParam, &result)) return result;
        // Owner-draw requests reach the control as reflected messages either way.
        auto item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam && item && IsWindow(item->hwndItem))
            return SendMessageW(item->hwndItem, components::kReflectedMessageBase + WM_DRAWITEM, wParam, lParam);
        break;
    }
    case WM_NCDESTROY:
        if (object) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            rt::RuntimeService(rt::kServiceComponentDestroyed, static_cast<intptr_t>(object->formId), static_cast<intptr_t>(object->unitId));
            delete object;
        }
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

rt::ComponentObject* CreateTestWindow(const rt::CreateParameters& p) {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = TestWindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    auto object = new TestWindow;
    object->formId = p.formId;
    object->unitId = p.unitId;
    object->window = CreateWindowExW(0, kClassName, L"", p.style | WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, p.x, p.y,
                                     p.cx, p.cy, p.parent, p.menu, GetModuleHandleW(nullptr), nullptr);
    if (!object->window) {
        delete object;
        return nullptr;
    }
    SetWindowLongPtrW(object->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return object;
}

}  // namespace

void* ReflectingWindowInterface(int request) {
    return request == rt::kRequestCreate ? reinterpret_cast<void*>(&CreateTestWindow) : nullptr;
}

}  // namespace component_testing
