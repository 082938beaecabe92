// The message loop shared by the program's main loop and modal forms.
#pragma once

#include <windows.h>

namespace rt {

enum class LoopMode { NonModal, Modal };

// Runs until WM_QUIT, or in modal mode until the current modal form id is 0.
void RunLoop(LoopMode mode);
// Get, pre-translate, translate and dispatch one message; false on WM_QUIT.
bool PumpOneMessage(MSG* pumped = nullptr);
// Dispatches every waiting message that is not WM_QUIT.
void ProcessPendingMessages();

}  // namespace rt
