// The launcher's event handlers, in the order of handlers.txt: the window
// template binds events to them by that order.
#pragma once

#include <cstdint>

namespace launcher::handlers {

#define LUMADREL_HANDLER_DECLARATION(name) int64_t name(const uint32_t* arguments, int count);
LUMADREL_HANDLER_DECLARATION(MainWindowCreated)
LUMADREL_HANDLER_DECLARATION(TrayNotification)
LUMADREL_HANDLER_DECLARATION(ReplyDispatcher)
LUMADREL_HANDLER_DECLARATION(StartGame)
LUMADREL_HANDLER_DECLARATION(OpenPlayerCentre)
LUMADREL_HANDLER_DECLARATION(ExitLauncher)
LUMADREL_HANDLER_DECLARATION(ShopLoginCreated)
LUMADREL_HANDLER_DECLARATION(LoginClicked)
LUMADREL_HANDLER_DECLARATION(OpenRegisterWindow)
LUMADREL_HANDLER_DECLARATION(RegisterClicked)
LUMADREL_HANDLER_DECLARATION(PlayerWindowCreated)
LUMADREL_HANDLER_DECLARATION(LeaveDungeonClicked)
LUMADREL_HANDLER_DECLARATION(EnchantClicked)
LUMADREL_HANDLER_DECLARATION(OpenLuckyDrawWindow)
LUMADREL_HANDLER_DECLARATION(LuckyDrawCreated)
LUMADREL_HANDLER_DECLARATION(SpinClicked)
LUMADREL_HANDLER_DECLARATION(AnimationTick)
#undef LUMADREL_HANDLER_DECLARATION

}  // namespace launcher::handlers
