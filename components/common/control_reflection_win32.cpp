#include "components/common/control_reflection_win32.h"

namespace components {
namespace {

constexpr wchar_t kTargetProperty[] = L"Lumadrel.ReflectTo";
// A combo box's edit and list report their colours through the combo box.
constexpr int kMaxAncestorSteps = 2;

HWND SourceWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        return header ? header->hwndFrom : nullptr;
    }
    if (message == WM_DRAWITEM) {
        auto item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return wParam && item ? item->hwndItem : nullptr;  // id 0 is a menu item
    }
    return reinterpret_cast<HWND>(lParam);
}

bool IsColourMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

HWND TargetOf(HWND parent, HWND source) {
    HWND window = source;
    for (int step = 0; window && window != parent && step <= kMaxAncestorSteps; ++step) {
        if (HWND target = static_cast<HWND>(GetPropW(window, kTargetProperty))) return target;
        window = GetParent(window);  // for a drop-down list this is its combo box, the owner
    }
    return nullptr;
}

}  // namespace

bool ReflectToControl(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_COMMAND && message != WM_NOTIFY && message != WM_DRAWITEM && !IsColourMessage(message))
        return false;
    // A menu or accelerator command carries no window.
    HWND source = SourceWindow(message, wParam, lParam);
    if (!source || !IsWindow(source)) return false;
    HWND target = TargetOf(parent, source);
    if (!target || !IsWindow(target)) return false;
    LRESULT answer = SendMessageW(target, kReflectedMessageBase + message, wParam, lParam);
    // A control without colours of its own leaves the colour to the parent.
    if (IsColourMessage(message) && answer == 0) return false;
    if (result) *result = answer;
    return true;
}

void SetReflectionTarget(HWND window, HWND target) {
    if (!window) return;
    if (target) SetPropW(window, kTargetProperty, target);
    else RemovePropW(window, kTargetProperty);
}

}  // namespace components
