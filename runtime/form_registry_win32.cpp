// Form registry: the forms read from the window template.
#include <windows.h>

#include "runtime/entry_points.h"
#include "runtime/form_host_win32.h"
#include "runtime/form_access_win32.h"
#include "runtime/form_service_win32.h"

namespace rt {

bool LoadFormTemplate(const uint8_t* data, uint32_t length, uintptr_t userCodeBase) { return length == 0; }
bool AnyFormWindowExists() { return false; }
void UnloadAllForms() {}
bool PreTranslateFormMessage(MSG& message) { return false; }
bool RunFormIdleWork(DWORD elapsedMilliseconds) { return false; }
intptr_t FormService(int request, intptr_t argument1, intptr_t argument2) { return 0; }

int LoadStartupWindow(uint32_t formId) {
    ReportRuntimeError("载入启动窗口失败", 0, formId, 0);
}

}  // namespace rt

namespace rt {
HWND WindowOfComponent(uint32_t formId, uint32_t unitId) { return nullptr; }
}  // namespace rt
