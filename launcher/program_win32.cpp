// The launcher program: its descriptor for the runtime, its start routine and
// the process entry.
#include <windows.h>

#include "launcher/dll_table.h"
#include "launcher/form_ids.h"
#include "launcher/handlers_win32.h"
#include "launcher/program_state.h"
#include "launcher/subroutine_ids.h"
#include "runtime/dll_call_win32.h"
#include "runtime/entry_points.h"
#include "runtime/events.h"
#include "runtime/program.h"
#include "runtime/startup_trace.h"
#include "services/support_libraries.h"

// The window template compiled from launcher/forms, embedded by the build.
extern "C" const uint8_t lumadrel_form_template[];
extern "C" const uint8_t lumadrel_form_template_end[];

namespace launcher {
namespace {

// Event handlers in handlers.txt order; the template's handler offsets index
// this table.
const rt::EventHandler kHandlerTable[] = {
#define LUMADREL_HANDLER(offset, name) handlers::name,
#include "launcher_handlers.inc"
#undef LUMADREL_HANDLER
};

int StartRoutine() {
    rt::InitializeRuntime();
    trace::Span span("program start routine");
    AllocateProgramState();
    rt::RegisterExitRoutine(FreeProgramState);
    ProgramState& state = State();
    state.AnsiCodePage = 936;
    state.TaskbarCreatedMessage = static_cast<uint32_t>(
        rt::CallDllCommand(kRegisterWindowMessageA, rt::CallConvention::CalleeCleans,
                           {rt::NativeArgument("TaskbarCreated")}, subroutine::kProgramStart, 1));
    rt::LoadStartupWindow(main_window::kForm);
    span.Close();
    rt::RunMessageLoop();
    return 0;
}

}  // namespace

rt::ProgramDescriptor Program() {
    rt::ProgramDescriptor program{};
    program.userCodeBase = reinterpret_cast<uintptr_t>(kHandlerTable);
    program.templateData = lumadrel_form_template;
    program.templateLength = static_cast<uint32_t>(lumadrel_form_template_end - lumadrel_form_template);
    program.libraryCount = rt::kSupportLibraryCount;
    program.libraries = services::SupportLibraryTable();
    program.dllCommandCount = kDllCommandCount;
    program.dllLibraryNames = kDllLibraryNames;
    program.dllCommandNames = kDllExportNames;
    program.startRoutine = StartRoutine;
    return program;
}

}  // namespace launcher

