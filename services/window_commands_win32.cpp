#include "services/window_commands_win32.h"

#include <windows.h>

#include <string>

#include "runtime/form_access_win32.h"
#include "runtime/form_registry_win32.h"
#include "runtime/form_service_win32.h"
#include "runtime/text_conversion_win32.h"
#include "runtime/type_references.h"
#include "services/command_arguments.h"

namespace services {
namespace {

struct Reference {
    uint32_t formId = 0;
    uint32_t unitId = 0;
};

bool ReferenceOf(int argumentCount, const rt::ValueRecord* arguments, int index, Reference* reference) {
    const rt::ValueRecord* argument = arguments::Given(argumentCount, arguments, index);
    if (!argument || rt::IsBasicType(argument->type)) return false;
    reference->formId = rt::PayloadLow(*argument);
    reference->unitId = rt::PayloadHigh(*argument);
    return true;
}

// A unit id of the window itself has no component sub-kind bits.
bool NamesWindow(uint32_t unitId) { return unitId == 0 || (unitId >> 28) == 0; }

HWND WindowOfArgument(int argumentCount, const rt::ValueRecord* arguments, int index) {
    Reference reference;
    if (!ReferenceOf(argumentCount, arguments, index, &reference)) return nullptr;
    return rt::WindowOfComponent(reference.formId, NamesWindow(reference.unitId) ? 0 : reference.unitId);
}

}  // namespace

void LoadWindow(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    Reference window;
    if (!ReferenceOf(argumentCount, arguments, 0, &window)) return arguments::SetBool(result, false);
    rt::ComponentObject* owner = nullptr;
    Reference parent;
    if (ReferenceOf(argumentCount, arguments, 1, &parent)) {
        owner = rt::ComponentOf(parent.formId, NamesWindow(parent.unitId) ? 0 : parent.unitId);
        if (!owner) return arguments::SetBool(result, false);
    }
    const rt::ValueRecord* modal = arguments::Given(argumentCount, arguments, 2);
    rt::FormLoadRequest request{window.formId, owner, modal && rt::AsBool(*modal) ? 1u : 0u};
    arguments::SetBool(result, rt::LoadFormForCommand(request) != 0);
}

void Destroy(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    Reference reference;
    if (!ReferenceOf(argumentCount, arguments, 0, &reference)) return;
    bool window = NamesWindow(reference.unitId);
    rt::ComponentObject* object = rt::ComponentOf(reference.formId, window ? 0 : reference.unitId);
    if (!object) return;
    const rt::ValueRecord* immediately = arguments::Given(argumentCount, arguments, 1);
    object->RequestDestroy(immediately && rt::AsBool(*immediately));
}

void GetWindowHandle(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    HWND window = WindowOfArgument(argumentCount, arguments, 0);
    arguments::SetInteger(result, static_cast<int32_t>(reinterpret_cast<intptr_t>(window)));
}

void SetComponentFocus(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    HWND window = WindowOfArgument(argumentCount, arguments, 0);
    if (window) SetFocus(window);
}

void SendWindowMessage(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    HWND window = WindowOfArgument(argumentCount, arguments, 0);
    auto word = [&](int index) { return arguments::IntegerOr(arguments::Given(argumentCount, arguments, index), 0); };
    LRESULT answer = window ? SendMessageA(window, static_cast<UINT>(word(1)), static_cast<WPARAM>(word(2)),
                                           static_cast<LPARAM>(word(3)))
                            : 0;
    arguments::SetInteger(result, static_cast<int32_t>(answer));
}

void GetItemText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    HWND combo = WindowOfArgument(argumentCount, arguments, 0);
    int32_t index = arguments::IntegerOr(arguments::Given(argumentCount, arguments, 1), -1);
    if (!combo || index < 0 || index >= SendMessageW(combo, CB_GETCOUNT, 0, 0))
        return arguments::SetText(result, std::string_view());
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return arguments::SetText(result, std::string_view());
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    arguments::SetText(result, rt::GbkFromWide(text));
}

void AddItem(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    HWND combo = WindowOfArgument(argumentCount, arguments, 0);
    if (!combo) return arguments::SetInteger(result, -1);
    std::wstring text = rt::WideFromGbk(arguments::TextOf(arguments::Given(argumentCount, arguments, 1)));
    LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) return arguments::SetInteger(result, -1);
    int32_t data = arguments::IntegerOr(arguments::Given(argumentCount, arguments, 2), 0);
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
    arguments::SetInteger(result, static_cast<int32_t>(index));
}

}  // namespace services
