#include "launcher/program_state.h"

#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {

ProgramState& State() {
    static ProgramState state;
    return state;
}

void AllocateProgramState() {
    ProgramState& state = State();
    state.RoleNames = rt::CreateArray1(sizeof(char*), 0);
    state.DrawSlots = rt::CreateArray1(8, kDrawSlotCount);
    state.TrayIconData = static_cast<TrayIconRecord*>(rt::AllocateZeroed(sizeof(TrayIconRecord)));
    state.TrayIconData->szTip = rt::CreateArray1(1, kTipBytes);
    state.TrayIconData->szInfo = rt::CreateArray1(1, kInfoBytes);
    state.TrayIconData->szInfoTitle = rt::CreateArray1(1, kInfoTitleBytes);
}

void FreeProgramState(int) {
    ProgramState& state = State();
    rt::Free(state.LoggedInAccount);
    state.LoggedInAccount = nullptr;
    rt::FreePointerArray(state.RoleNames);
    state.RoleNames = nullptr;
    rt::Free(state.SelectedRoleName);
    state.SelectedRoleName = nullptr;
    rt::Free(state.DrawSlots);
    state.DrawSlots = nullptr;
    rt::Free(state.CurrentVersion);
    state.CurrentVersion = nullptr;
    if (state.TrayIconData) {
        rt::Free(state.TrayIconData->szTip);
        rt::Free(state.TrayIconData->szInfo);
        rt::Free(state.TrayIconData->szInfoTitle);
        rt::Free(state.TrayIconData);
        state.TrayIconData = nullptr;
    }
}

}  // namespace launcher
