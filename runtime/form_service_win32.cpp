// Runtime service requests about forms, components and events.
#include "runtime/form_service_win32.h"

#include "runtime/entry_points.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/message_loop_win32.h"
#include "runtime/service_numbers.h"

namespace rt {
namespace {

bool BelongsToLoadedForm(HWND window) {
    for (Form& form : Forms()) {
        if (!form.Loaded()) continue;
        for (ComponentObject* object : form.objects)
            if (object && object->Window() == window) return true;
    }
    return false;
}

}  // namespace

intptr_t LoadFormForCommand(const FormLoadRequest& request) {
    Form* form = FindForm(request.formId);
    if (!form) ReportRuntimeError("指定窗口或窗口组件不存在或尚未载入", 0, request.formId, 0);
    HWND owner = request.owner ? request.owner->Window() : nullptr;
    int result = LoadForm(*form, false, request.modal != 0, owner);
    if (result && form->Loaded() && form->units.Unit(0).Visible()) ShowForm(*form, false);
    return result;
}

intptr_t FormService(int request, intptr_t argument1, intptr_t argument2) {
    switch (request) {
    case kServiceForms: return reinterpret_cast<intptr_t>(&Forms());
    case kServiceComponentType: return reinterpret_cast<intptr_t>(FindComponentType(static_cast<uint32_t>(argument1)));
    case kServiceWindowOfObject: {
        auto object = reinterpret_cast<ComponentObject*>(argument1);
        return object ? reinterpret_cast<intptr_t>(object->Window()) : 0;
    }
    case kServiceBelongsToLoadedForm: return BelongsToLoadedForm(reinterpret_cast<HWND>(argument1)) ? 1 : 0;
    case kServiceComponentDestroyed: ComponentDestroyed(static_cast<uint32_t>(argument1), static_cast<uint32_t>(argument2)); return 0;
    case kServiceLoadForm: return LoadFormForCommand(*reinterpret_cast<const FormLoadRequest*>(argument1));
    case kServiceRaiseShortEvent: return RaiseEvent(*reinterpret_cast<ShortEventCall*>(argument1), argument2 != 0);
    case kServiceProcessPendingMessages: ProcessPendingMessages(); return 0;
    case kServiceRaiseFullEvent: return RaiseEvent(*reinterpret_cast<FullEventCall*>(argument1), argument2 != 0);
    default: return 0;
    }
}

}  // namespace rt
