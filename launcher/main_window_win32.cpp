// The main window: its start routine, the player-centre button and the exit
// button.
#include "brand/brand_settings.h"
#include "launcher/commands_win32.h"
#include "launcher/form_ids.h"
#include "launcher/game_start_win32.h"
#include "launcher/handlers_win32.h"
#include "launcher/process_routines_win32.h"
#include "launcher/program_state.h"
#include "launcher/dll_table.h"
#include "launcher/subroutine_ids.h"
#include "runtime/dll_call_win32.h"
#include "launcher/tray_icon_win32.h"
#include "runtime/entry_points.h"
#include "runtime/startup_trace.h"

namespace launcher::handlers {

int64_t MainWindowCreated(const uint32_t*, int) {
    trace::Span span("main window start routine");
    {
        trace::Span step("single-instance check");
        // One copy only: a second one ends at once, silently.
        if (CountProcessesByName(brand::kExecutableName) > 1) rt::EndProgram(0);
    }
    {
        trace::Span step("tray icon");
        AddTrayIcon(main_window::kForm, brand::kTrayTip, TrayMouseHandler);
    }
    {
        trace::Span step("desktop shortcut");
        CreateDesktopShortcut();
    }
    {
        trace::Span step("version label");
        ShowInstalledVersion();
    }
    trace::Span step("connect to the game server");
    // A failure shows up later, at the first request.
    ConnectToServer(brand::kGameServerAddress, brand::kGameServerPort);
    return 0;
}

int64_t TrayNotification(const uint32_t* arguments, int count) {
    TrayMouseHandler(count > 0 ? static_cast<int32_t>(arguments[0]) : 0);
    return 0;
}

int64_t OpenPlayerCentre(const uint32_t*, int) {
    if (State().LoggedInAccount) LoadWindow(player_window::kForm, true);
    if (!State().LoggedInAccount) LoadWindow(shop_login_window::kForm, true);
    return 0;
}

int64_t ExitLauncher(const uint32_t*, int) {
    // The icon goes with the process, not when the mouse next passes over it.
    RemoveTrayIcon();
    auto self = static_cast<uint32_t>(rt::CallDllCommand(kGetCurrentProcessId, rt::CallConvention::CalleeCleans, {},
                                       subroutine::kProgramStart, 20));
    TerminateProcessById(self);
    return 0;
}

}  // namespace launcher::handlers
