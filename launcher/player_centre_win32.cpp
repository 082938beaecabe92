// The player centre (roles, leave dungeon, enchant) and the lucky-draw wheel.
#include <cstring>

#include "launcher/commands_win32.h"
#include "launcher/form_ids.h"
#include "launcher/handlers_win32.h"
#include "launcher/program_state.h"
#include "launcher/server_link_win32.h"
#include "launcher/subroutine_ids.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {
namespace {

constexpr int32_t kHighlightBorder = 4;
constexpr int32_t kHighlightWidth = 48;
constexpr int32_t kHighlightHeight = 47;
constexpr int32_t kStartPeriod = 200;
constexpr int32_t kPeriodStep = 20;
constexpr int32_t kFastestPeriod = 30;
constexpr int32_t kSlowDownSteps = 10;

void ReadSelectedRole() {
    ProgramState& state = State();
    state.SelectedRoleIndex = ReadIntegerProperty(player_window::kForm, player_window::kRoleCombo, property::kCurSel);
    Owned name(GetItemText(player_window::kForm, player_window::kRoleCombo, state.SelectedRoleIndex));
    state.SelectedRoleName.reset(rt::CopyText(name.text()));
}

void SendRoleRequest(const char* command) {
    ReadSelectedRole();
    if (!SendServerRequest(command, {State().SelectedRoleName.get()})) ShowMessage("连接服务器失败", 0);
}

struct SlotReference {
    uint32_t formId;
    uint32_t unitId;
};

// Slot n (1..16) of DrawSlots.
SlotReference Slot(int32_t slot, uint32_t statement) {
    uint8_t* element = rt::ArrayElementAddress(State().DrawSlots.get(), 8, slot, subroutine::kLuckyDraw, statement);
    SlotReference reference;
    std::memcpy(&reference.formId, element, 4);
    std::memcpy(&reference.unitId, element + 4, 4);
    return reference;
}

void SetPrizeCaption(int32_t slot) {
    Owned text(ToText(slot));
    WriteTextProperty(lucky_draw_window::kForm, lucky_draw_window::kPrizeLabel, property::kCaption, text.text());
}

void EndSpin() {
    using namespace lucky_draw_window;
    ProgramState& state = State();
    WriteIntegerProperty(kForm, kTimer, property::kInterval, 0);
    if (state.DrawSlot < 1) state.DrawSlot = 1;
    if (state.DrawSlot > 16) state.DrawSlot = 16;
    SetPrizeCaption(state.DrawSlot);
    Owned slotText(ToText(state.DrawSlot));
    if (!SendServerRequest("幸运抽奖", {state.LoggedInAccount.get(), slotText.text()})) ShowMessage("连接服务器失败", 0);
    WriteIntegerProperty(kForm, kSpinButton, property::kDisable, 0);
}

}  // namespace

namespace handlers {

int64_t PlayerWindowCreated(const uint32_t*, int) {
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(State().RoleNames.get(), &first);
    for (uint32_t i = 0; i < count; ++i) {
        const char* role;
        std::memcpy(&role, first + i * sizeof(char*), sizeof role);
        // The selection is set before each append: with two or more roles the first ends up selected.
        WriteIntegerProperty(player_window::kForm, player_window::kRoleCombo, property::kCurSel, 0);
        AddItem(player_window::kForm, player_window::kRoleCombo, role);
    }
    return 0;
}

int64_t LeaveDungeonClicked(const uint32_t*, int) {
    SendRoleRequest("离开副本");
    return 0;
}

int64_t EnchantClicked(const uint32_t*, int) {
    SendRoleRequest("附魔装备");
    return 0;
}

int64_t OpenLuckyDrawWindow(const uint32_t*, int) {
    LoadWindow(lucky_draw_window::kForm, true);
    return 0;
}

int64_t LuckyDrawCreated(const uint32_t*, int) {
    SetRandomSeed();
    for (int32_t slot = 1; slot <= 16; ++slot) {
        uint8_t* element = rt::ArrayElementAddress(State().DrawSlots.get(), 8, slot, subroutine::kLuckyDraw, 2);
        uint32_t formId = lucky_draw_window::kForm;
        uint32_t unitId = lucky_draw_window::SlotBox(static_cast<uint32_t>(slot));
        std::memcpy(element, &formId, 4);
        std::memcpy(element + 4, &unitId, 4);
    }
    return 0;
}

int64_t SpinClicked(const uint32_t*, int) {
    using namespace lucky_draw_window;
    WriteIntegerProperty(kForm, kTimer, property::kInterval, kStartPeriod);
    State().DrawStepsLeft = RandomNumber(30, 50);
    WriteIntegerProperty(kForm, kSpinButton, property::kDisable, 1);
    return 0;
}

int64_t AnimationTick(const uint32_t*, int) {
    using namespace lucky_draw_window;
    ProgramState& state = State();
    state.DrawStepsLeft -= 1;
    if (state.DrawStepsLeft == 0) {
        EndSpin();
        return 0;
    }
    int32_t period = ReadIntegerProperty(kForm, kTimer, property::kInterval);
    if (state.DrawStepsLeft < kSlowDownSteps) {
        period += kPeriodStep;
    } else {
        period -= kPeriodStep;
        if (period <= kFastestPeriod) period = kFastestPeriod;
    }
    WriteIntegerProperty(kForm, kTimer, property::kInterval, period);

    state.DrawSlot += 1;
    if (state.DrawSlot == 17) state.DrawSlot = 1;
    int32_t previous = state.DrawSlot - 1 == 0 ? 16 : state.DrawSlot - 1;
    SlotReference next = Slot(state.DrawSlot, 3);
    WriteIntegerProperty(next.formId, next.unitId, property::kPictureBoxBorder, kHighlightBorder);
    WriteIntegerProperty(next.formId, next.unitId, property::kWidth, kHighlightWidth);
    WriteIntegerProperty(next.formId, next.unitId, property::kHeight, kHighlightHeight);
    SlotReference last = Slot(previous, 4);
    WriteIntegerProperty(last.formId, last.unitId, property::kPictureBoxBorder, 0);
    SetPrizeCaption(state.DrawSlot);
    return 0;
}

}  // namespace handlers
}  // namespace launcher
