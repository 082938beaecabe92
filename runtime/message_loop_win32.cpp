#include "runtime/message_loop_win32.h"

#include <algorithm>

#include "runtime/entry_points.h"
#include "runtime/form_host_win32.h"
#include "runtime/runtime_context_win32.h"

namespace rt {
namespace {

// Messages after which idle work is due again (mouse moves and the caret
// blink timer would otherwise keep the loop busy for nothing).
bool MakesIdleWorkDue(const MSG& message) {
    return message.message != WM_MOUSEMOVE && message.message != WM_NCMOUSEMOVE && message.message != 0x0118;
}

void RunIdleCallbacks() {
    auto& callbacks = Runtime().idleCallbacks;
    for (size_t i = callbacks.size(); i-- > 0;) {
        if (i >= callbacks.size()) continue;
        IdleEntry entry = callbacks[i];
        if (IsWindow(entry.window)) {
            entry.callback(entry.argument);
        } else {
            callbacks.erase(callbacks.begin() + static_cast<ptrdiff_t>(i));
        }
    }
}

// The underlying framework has no idle work of its own beyond the first pass.
bool StandardIdleWork(int idleCount) { return idleCount < 1; }

bool IdleStep(int idleCount) {
    RuntimeContext& runtime = Runtime();
    if (idleCount == 0) {
        runtime.idleContinues = true;
        runtime.idleStartTick = GetTickCount();
        runtime.idleDoneWindows.clear();
    }
    if (runtime.idleContinues) {
        runtime.idleContinues = StandardIdleWork(idleCount);
        return true;
    }
    if (idleCount > 1) return RunFormIdleWork(GetTickCount() - runtime.idleStartTick);
    return idleCount == 1;
}

bool ModalLoopEnded(LoopMode mode) { return mode == LoopMode::Modal && Runtime().currentModalFormId == 0; }

}  // namespace

bool PumpOneMessage(MSG* pumped) {
    MSG message;
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
        if (pumped) *pumped = message;
        return false;
    }
    if (!PreTranslateFormMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (pumped) *pumped = message;
    return true;
}

void ProcessPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        if (!PumpOneMessage(nullptr)) break;
    }
}

void RunLoop(LoopMode mode) {
    MSG message;
    for (;;) {
        bool idle = true;
        int idleCount = 0;
        while (idle && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleCallbacks();
            bool more = IdleStep(idleCount);
            if (ModalLoopEnded(mode)) return;
            if (!more) idle = false;
            ++idleCount;
        }
        do {
            if (mode == LoopMode::Modal && PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) &&
                message.message == WM_QUIT)
                return;
            if (!PumpOneMessage(&message)) {
                // The outer loops must end as well.
                if (mode == LoopMode::Modal) PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            if (ModalLoopEnded(mode)) return;
            if (MakesIdleWorkDue(message)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void RunMessageLoop() {
    Runtime().loopEntered = true;
    if (!AnyFormWindowExists()) return;
    RunLoop(LoopMode::NonModal);
}

}  // namespace rt
