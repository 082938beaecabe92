// The message box command: any basic value as content, shown through the wide
// API so GBK text reads correctly on every system locale.
#include <windows.h>

#include <string>

#include "runtime/form_access_win32.h"
#include "runtime/text_conversion_win32.h"
#include "runtime/type_references.h"
#include "services/command_arguments.h"
#include "services/core_commands.h"
#include "services/value_conversion.h"

namespace services {
namespace {

using namespace arguments;

constexpr char kDefaultTitle[] = "信息：";

std::string Content(const rt::ValueRecord* value) {
    if (!value) return {};
    if (rt::IsNumericType(value->type) || value->type == rt::kTypeBool || value->type == rt::kTypeDateTime ||
        value->type == rt::kTypeText) {
        return ValueAsText(*value);
    }
    return {};
}

HWND ParentWindow(int argumentCount, rt::ValueRecord* arguments) {
    if (argumentCount < 4) return nullptr;
    const rt::ValueRecord* parent = Given(argumentCount, arguments, 3);
    if (!parent) return nullptr;
    if (parent->type == rt::kWindowTypeReference) return rt::WindowOfComponent(rt::PayloadLow(*parent), rt::PayloadHigh(*parent));
    // Window handles are 32-bit values, sign-extended on 64-bit Windows.
    if (parent->type == rt::kTypeInteger) return reinterpret_cast<HWND>(static_cast<intptr_t>(rt::AsInteger(*parent)));
    return nullptr;
}

int32_t ButtonNumber(int pressed) {
    switch (pressed) {
    case IDCANCEL: return 1;
    case IDABORT: return 2;
    case IDRETRY: return 3;
    case IDIGNORE: return 4;
    case IDYES: return 5;
    case IDNO: return 6;
    default: return 0;  // IDOK and anything else
    }
}

}  // namespace

void MessageBox(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    std::string content = Content(Given(argumentCount, arguments, 0));
    uint32_t style = static_cast<uint32_t>(IntegerOr(Given(argumentCount, arguments, 1), 0));
    const rt::ValueRecord* titleArgument = Given(argumentCount, arguments, 2);
    std::string title = titleArgument && titleArgument->type == rt::kTypeText ? std::string(TextOf(titleArgument))
                                                                             : std::string(kDefaultTitle);
    if (!(style & MB_SYSTEMMODAL)) style += MB_TASKMODAL;
    int pressed = MessageBoxW(ParentWindow(argumentCount, arguments), rt::WideFromGbk(content).c_str(),
                              rt::WideFromGbk(title).c_str(), style);
    SetInteger(result, ButtonNumber(pressed));
}

}  // namespace services
