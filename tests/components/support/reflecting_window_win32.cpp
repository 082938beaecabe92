#include "support/reflecting_window_win32.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "components/common/component_window_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/common/type_interface_win32.h"
#include "runtime/component_object_win32.h"

namespace components::testing {
namespace {

constexpr wchar_t kClassName[] = L"ReflectingTestWindow";

class TestWindow : public components::ComponentWindow<TestWindow>, public rt::ComponentObject {
public:
    static TestWindow* Create(const rt::CreateParameters& p) {
        static const bool registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = ClassProcedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            windowClass.lpszClassName = kClassName;
            return RegisterClassW(&windowClass) != 0;
        }();
        if (!registered) return nullptr;
        auto* object = new TestWindow(p.formId, p.unitId);
        if (!object->CreateBoundWindow(0, kClassName, L"", p.style | WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, p.x, p.y,
                                       p.cx, p.cy, p.parent, p.menu)) {
            delete object;
            return nullptr;
        }
        object->Adopt();
        return object;
    }
    static rt::PropertyList Properties() { return {nullptr, 0}; }
    std::vector<uint8_t> AllData() const { return {}; }
    HWND Window() const override { return window_; }

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC: {
            LRESULT result = 0;
            if (components::ReflectToControl(window_, message, wParam, lParam, &result)) return result;
            break;
        }
        case WM_DRAWITEM: {
            LRESULT result = 0;
            if (components::ReflectToControl(window_, message, wParam, lParam, &result)) return result;
            // Owner-draw requests reach the control as reflected messages either way.
            auto item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (wParam && item && IsWindow(item->hwndItem))
                return SendMessageW(item->hwndItem, components::kReflectedMessageBase + WM_DRAWITEM, wParam, lParam);
            break;
        }
        default: break;
        }
        return Default(message, wParam, lParam);
    }

private:
    TestWindow(uint32_t formId, uint32_t unitId) : ComponentWindow(formId, unitId) {}
};

}  // namespace

void* ReflectingWindowInterface(int request) { return components::TypeInterfaceFor<TestWindow>(request); }

}  // namespace components::testing
