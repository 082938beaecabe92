#include "components/common/component_window_class_win32.h"

namespace components {

WNDPROC RegisteredProcedure(const wchar_t* name) {
    WNDCLASSW existing{};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), name, &existing)) return nullptr;
    return existing.lpfnWndProc;
}

bool EnsureComponentClass(const wchar_t* name, WNDPROC procedure, UINT style) {
    if (RegisteredProcedure(name)) return true;
    WNDCLASSW windowClass{};
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace components

