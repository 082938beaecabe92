// Ids of the launcher's five windows and of the components its code
// addresses, as stored in the window template. A component's id is the form's
// number plus its position in template order, with kind 0x6 sub-kind 1.
#pragma once

#include <cstdint>

namespace launcher {

constexpr uint32_t ComponentId(uint32_t formId, uint32_t position) {
    return 0x16000000u | ((formId & 0x00FFFFFFu) + position);
}
constexpr uint32_t WindowUnitId(uint32_t formId) { return 0x06000000u | (formId & 0x00FFFFFFu); }

namespace main_window {
constexpr uint32_t kForm = 0x52010001;
constexpr uint32_t kClient = ComponentId(kForm, 1);               // 客户
constexpr uint32_t kWindowSizeCombo = ComponentId(kForm, 2);      // 组合框_窗口设置
constexpr uint32_t kVersionLabel = ComponentId(kForm, 3);         // 透明标签_版本
constexpr uint32_t kAccountLabel = ComponentId(kForm, 4);         // 透明标签_登录的账号
constexpr uint32_t kEnterGameButton = ComponentId(kForm, 5);      // 超级按钮1
constexpr uint32_t kPlayerCentreButton = ComponentId(kForm, 6);   // 超级按钮2
constexpr uint32_t kExitButton = ComponentId(kForm, 7);           // 超级按钮3
}  // namespace main_window

namespace shop_login_window {
constexpr uint32_t kForm = 0x52013131;
constexpr uint32_t kAccountEdit = ComponentId(kForm, 2);   // 编辑框_账号
constexpr uint32_t kPasswordEdit = ComponentId(kForm, 4);  // 编辑框_密码
constexpr uint32_t kCodeLabel = ComponentId(kForm, 5);     // 标签_验证码
constexpr uint32_t kCodeEdit = ComponentId(kForm, 7);      // 编辑框_验证
constexpr uint32_t kLoginButton = ComponentId(kForm, 8);   // 按钮1
constexpr uint32_t kRegisterButton = ComponentId(kForm, 9);  // 按钮2
}  // namespace shop_login_window

namespace register_window {
constexpr uint32_t kForm = 0x52013298;
constexpr uint32_t kAccountEdit = ComponentId(kForm, 2);         // 编辑框_账号
constexpr uint32_t kPasswordEdit = ComponentId(kForm, 4);        // 编辑框_密码
constexpr uint32_t kRepeatPasswordEdit = ComponentId(kForm, 6);  // 编辑框_重复密码
constexpr uint32_t kSubmitButton = ComponentId(kForm, 7);        // 按钮1
}  // namespace register_window

namespace player_window {
constexpr uint32_t kForm = 0x5201324A;
constexpr uint32_t kRoleCombo = ComponentId(kForm, 2);           // 组合框_角色名称
constexpr uint32_t kLeaveDungeonButton = ComponentId(kForm, 3);  // 超级按钮_离开副本
constexpr uint32_t kLuckyDrawButton = ComponentId(kForm, 4);     // 超级按钮_抽奖
constexpr uint32_t kEnchantButton = ComponentId(kForm, 15);      // 超级按钮_抽奖1
}  // namespace player_window

namespace lucky_draw_window {
constexpr uint32_t kForm = 0x520131BA;
constexpr uint32_t kBoard = ComponentId(kForm, 1);           // 图片框1
constexpr uint32_t kPrizeLabel = ComponentId(kForm, 2);      // 标签_中奖
constexpr uint32_t kTimer = ComponentId(kForm, 3);           // 时钟1
constexpr uint32_t SlotBox(uint32_t slot) { return ComponentId(kForm, 3 + slot); }  // 图片框a1 .. a16
constexpr uint32_t kDrawsLeftLabel = ComponentId(kForm, 20);  // 标签_剩余抽奖次数
constexpr uint32_t kSpinButton = ComponentId(kForm, 21);      // 按钮_幸运抽奖
}  // namespace lucky_draw_window

// Property numbers the launcher reads and writes.
namespace property {
constexpr int32_t kWidth = 2;
constexpr int32_t kHeight = 3;
constexpr int32_t kVisible = 5;
constexpr int32_t kDisable = 6;
constexpr int32_t kCaption = 8;          // label, transparent label
constexpr int32_t kContent = 8;          // edit box
constexpr int32_t kPictureBoxBorder = 8;  // picture box
constexpr int32_t kInterval = 8;         // timer
constexpr int32_t kStartPosition = 18;   // window
constexpr int32_t kCurSel = 19;          // combo box
}  // namespace property

}  // namespace launcher
