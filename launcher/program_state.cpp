#include "launcher/program_state.h"

#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {

ProgramState& State() {
    static ProgramState state;
    return state;
}

void FreeRuntimeBlock::operator()(void* block) const { rt::Free(block); }

void FreeTextArray::operator()(void* array) const { rt::FreePointerArray(array); }

void FreeTrayIconRecord::operator()(TrayIconRecord* record) const {
    rt::Free(record->szTip);
    rt::Free(record->szInfo);
    rt::Free(record->szInfoTitle);
    rt::Free(record);
}

void AllocateProgramState() {
    ProgramState& state = State();
    state.RoleNames.reset(rt::CreateArray1(sizeof(char*), 0));
    state.DrawSlots.reset(rt::CreateArray1(8, kDrawSlotCount));
    state.TrayIconData.reset(static_cast<TrayIconRecord*>(rt::AllocateZeroed(sizeof(TrayIconRecord))));
    state.TrayIconData->szTip = rt::CreateArray1(1, kTipBytes);
    state.TrayIconData->szInfo = rt::CreateArray1(1, kInfoBytes);
    state.TrayIconData->szInfoTitle = rt::CreateArray1(1, kInfoTitleBytes);
}

void FreeProgramState(int) {
    ProgramState& state = State();
    state.LoggedInAccount.reset();
    state.RoleNames.reset();
    state.SelectedRoleName.reset();
    state.DrawSlots.reset();
    state.CurrentVersion.reset();
    state.TrayIconData.reset();
}

}  // namespace launcher
