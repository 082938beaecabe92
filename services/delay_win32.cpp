#include <windows.h>

#include "runtime/message_loop_win32.h"
#include "services/command_arguments.h"
#include "services/shell_commands.h"
#include "services/tick_source.h"

namespace services {

void Delay(rt::ValueRecord*, int argumentCount, rt::ValueRecord* arguments) {
    const int32_t milliseconds = arguments::IntegerOr(arguments::Given(argumentCount, arguments, 0), 0);
    if (milliseconds <= 0) return;
    const DWORD delay = static_cast<DWORD>(milliseconds);
    const DWORD start = MillisecondTicks();
    for (;;) {
        rt::ProcessPendingMessages();
        rt::ProcessPendingMessages();
        const DWORD elapsed = MillisecondTicks() - start;
        if (elapsed > delay) return;
        rt::ProcessPendingMessages();
        rt::ProcessPendingMessages();
        // Wakes for the next message or the end of the delay instead of spinning.
        MsgWaitForMultipleObjectsEx(0, nullptr, delay - elapsed + 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace services
